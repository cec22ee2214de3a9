#include "preferences.h"

#include "sqlitepreferencebackend.h"

#include <QDir>
#include <QStandardPaths>

namespace {
Preferences *s_standard = nullptr;
std::unique_ptr<Preferences> s_ownedStandard;
}

Preferences::Preferences(std::unique_ptr<PreferenceBackend> backend, QObject *parent)
    : QObject(parent), m_backend(std::move(backend)), m_values(m_backend->loadAll())
{
}

Preferences::~Preferences()
{
    if (s_standard == this)
        s_standard = nullptr;
}

QString Preferences::defaultDatabasePath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("preferences.sqlite"));
}

Preferences &Preferences::standard()
{
    if (!s_standard) {
        s_ownedStandard = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(defaultDatabasePath()));
        s_standard = s_ownedStandard.get();
    }
    return *s_standard;
}

void Preferences::setStandard(Preferences *preferences)
{
    s_standard = preferences;
    if (!preferences || preferences != s_ownedStandard.get())
        s_ownedStandard.reset();
}

template<typename T>
std::optional<T> Preferences::typed(const QString &key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.cend() || it->metaType() != QMetaType::fromType<T>())
        return std::nullopt;
    return it->template value<T>();
}

std::optional<QByteArray> Preferences::bytes(const QString &key) const
{
    return typed<QByteArray>(key);
}

std::optional<bool> Preferences::optionalBool(const QString &key) const
{
    return typed<bool>(key);
}

std::optional<qint64> Preferences::optionalInteger(const QString &key) const
{
    return typed<qlonglong>(key);
}

std::optional<QString> Preferences::string(const QString &key) const
{
    return typed<QString>(key);
}

std::optional<QStringList> Preferences::stringList(const QString &key) const
{
    return typed<QStringList>(key);
}

bool Preferences::store(const QString &key, QVariant value)
{
    const auto it = m_values.constFind(key);
    const bool unchanged = it != m_values.cend() && it->metaType() == value.metaType() && *it == value;
    if (unchanged && !m_notDurable.contains(key))
        return true;
    const bool durable = m_backend->write(key, value);
    if (durable)
        m_notDurable.remove(key);
    else
        m_notDurable.insert(key);
    m_values.insert(key, std::move(value));
    if (!unchanged)
        emit valueChanged(key);
    return durable;
}

bool Preferences::setBytes(const QString &key, const QByteArray &value)
{
    return store(key, QVariant(value));
}

bool Preferences::setBool(const QString &key, bool value)
{
    return store(key, QVariant(value));
}

bool Preferences::setInteger(const QString &key, qint64 value)
{
    return store(key, QVariant(qlonglong(value)));
}

bool Preferences::setString(const QString &key, const QString &value)
{
    return store(key, QVariant(value));
}

bool Preferences::setStringList(const QString &key, const QStringList &value)
{
    return store(key, QVariant(value));
}

bool Preferences::remove(const QString &key)
{
    if (!m_values.contains(key) && !m_notDurable.contains(key))
        return true;
    const bool durable = m_backend->remove(key);
    if (durable)
        m_notDurable.remove(key);
    else
        m_notDurable.insert(key);
    if (m_values.remove(key))
        emit valueChanged(key);
    return durable;
}
