#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

// Where preference values are kept. The Linux backend is SQLite; see SqlitePreferenceBackend.
class PreferenceBackend
{
public:
    virtual ~PreferenceBackend() = default;
    // Every readable stored value. Values are QByteArray, bool, qlonglong, QString or QStringList.
    virtual QHash<QString, QVariant> loadAll() = 0;
    // Each call is one committed transaction; false when the value could not be stored.
    virtual bool write(const QString &key, const QVariant &value) = 0;
    virtual bool remove(const QString &key) = 0;
};

// The per-user key-value store. Values are typed; reading a key as another type than the one it
// holds gives "missing". Reads are served from memory; every write goes through to the backend.
class Preferences : public QObject
{
    Q_OBJECT

public:
    explicit Preferences(std::unique_ptr<PreferenceBackend> backend, QObject *parent = nullptr);
    ~Preferences() override;

    // The store the application uses: the SQLite database in the application data directory,
    // opened on first use, unless a test installed another.
    static Preferences &standard();
    static void setStandard(Preferences *preferences); // nullptr: open the default again on next use
    static QString defaultDatabasePath();

    std::optional<QByteArray> bytes(const QString &key) const;
    std::optional<bool> optionalBool(const QString &key) const;
    bool boolValue(const QString &key) const { return optionalBool(key).value_or(false); }
    std::optional<qint64> optionalInteger(const QString &key) const;
    qint64 integer(const QString &key) const { return optionalInteger(key).value_or(0); }
    std::optional<QString> string(const QString &key) const;
    std::optional<QStringList> stringList(const QString &key) const;
    // The value whatever its type; invalid when missing.
    QVariant object(const QString &key) const { return m_values.value(key); }

    bool contains(const QString &key) const { return m_values.contains(key); }
    QStringList allKeys() const { return m_values.keys(); }

    // Each setter returns false when the value could not be made durable; the new value is still
    // what the store reports until the next change.
    bool setBytes(const QString &key, const QByteArray &value);
    bool setBool(const QString &key, bool value);
    bool setInteger(const QString &key, qint64 value);
    bool setString(const QString &key, const QString &value);
    bool setStringList(const QString &key, const QStringList &value);
    bool remove(const QString &key);

signals:
    // Emitted after a write that changed the value of `key`, or its removal.
    void valueChanged(const QString &key);

private:
    bool store(const QString &key, QVariant value);
    template<typename T>
    std::optional<T> typed(const QString &key) const;

    std::unique_ptr<PreferenceBackend> m_backend;
    QHash<QString, QVariant> m_values;
    QSet<QString> m_notDurable; // keys whose last write did not reach the backend
};
