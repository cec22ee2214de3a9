#include "preferencebinding.h"

#include "preferences.h"

PreferenceBinding::PreferenceBinding(QObject *parent) : PreferenceBinding(Preferences::standard(), parent) {}

PreferenceBinding::PreferenceBinding(Preferences &preferences, QObject *parent)
    : QObject(parent), m_preferences(preferences)
{
    connect(&m_preferences, &Preferences::valueChanged, this, [this](const QString &changedKey) {
        if (changedKey == m_key)
            emit valueChanged();
    });
}

void PreferenceBinding::setKey(const QString &key)
{
    if (key == m_key)
        return;
    m_key = key;
    emit keyChanged();
    emit valueChanged();
}

void PreferenceBinding::setDefaultValue(const QVariant &defaultValue)
{
    if (defaultValue == m_defaultValue && defaultValue.metaType() == m_defaultValue.metaType())
        return;
    m_defaultValue = defaultValue;
    emit defaultValueChanged();
    emit valueChanged();
}

bool PreferenceBinding::isInteger() const
{
    switch (m_defaultValue.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double: // QML numbers arrive as doubles
        return true;
    default:
        return false;
    }
}

QVariant PreferenceBinding::value() const
{
    if (m_key.isEmpty())
        return m_defaultValue;
    if (isInteger()) {
        const auto stored = m_preferences.optionalInteger(m_key);
        return stored ? QVariant(int(*stored)) : QVariant(m_defaultValue.toInt());
    }
    const auto stored = m_preferences.optionalBool(m_key);
    return stored ? QVariant(*stored) : QVariant(m_defaultValue.toBool());
}

void PreferenceBinding::setValue(const QVariant &value)
{
    if (m_key.isEmpty())
        return;
    if (isInteger())
        m_preferences.setInteger(m_key, value.toLongLong());
    else
        m_preferences.setBool(m_key, value.toBool());
}
