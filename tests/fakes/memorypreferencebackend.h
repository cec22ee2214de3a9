#pragma once

#include "preferences.h"

// Preference values held in memory only, for tests that need a store but no database.
class MemoryPreferenceBackend final : public PreferenceBackend
{
public:
    QHash<QString, QVariant> loadAll() override { return m_values; }
    bool write(const QString &key, const QVariant &value) override
    {
        m_values.insert(key, value);
        return true;
    }
    bool remove(const QString &key) override
    {
        m_values.remove(key);
        return true;
    }

private:
    QHash<QString, QVariant> m_values;
};
