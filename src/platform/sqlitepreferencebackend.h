#pragma once

#include "preferences.h"

struct sqlite3;
struct sqlite3_stmt;

// Preference values in one SQLite database in write-ahead-log mode, one row per key.
// A database that cannot be opened or read is moved aside (never overwritten) with a message on
// standard error, and a fresh one is started in its place.
class SqlitePreferenceBackend final : public PreferenceBackend
{
public:
    explicit SqlitePreferenceBackend(const QString &path);
    ~SqlitePreferenceBackend() override;
    SqlitePreferenceBackend(const SqlitePreferenceBackend &) = delete;
    SqlitePreferenceBackend &operator=(const SqlitePreferenceBackend &) = delete;

    QHash<QString, QVariant> loadAll() override;
    bool write(const QString &key, const QVariant &value) override;
    bool remove(const QString &key) override;

    // Where the last unreadable database was moved; empty when none was.
    QString movedAsidePath() const { return m_movedAsidePath; }

private:
    bool open();
    bool readAll(QHash<QString, QVariant> &values);
    void close();
    void moveAside(const QString &reason);
    void openInMemory();
    bool exec(const char *sql);
    bool writeLargeBytes(const QByteArray &key, const QByteArray &bytes);
    QString lastError() const;

    QString m_path;
    QString m_movedAsidePath;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_upsert = nullptr;
    sqlite3_stmt *m_upsertZeroBlob = nullptr;
    sqlite3_stmt *m_delete = nullptr;
    QHash<QString, QVariant> m_initialValues;
};
