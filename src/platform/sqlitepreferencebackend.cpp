#include "sqlitepreferencebackend.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <sqlite3.h>

#include <limits>

namespace {

// Stored type tags of the "type" column.
enum class StoredType : int { Bytes = 1, Bool = 2, Integer = 3, String = 4, StringList = 5 };

// Byte values from this size on are written through an incremental blob handle.
constexpr qsizetype largeValueBytes = 1 << 20;

QByteArray encodeStringList(const QStringList &list)
{
    return QJsonDocument(QJsonArray::fromStringList(list)).toJson(QJsonDocument::Compact);
}

std::optional<QStringList> decodeStringList(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue &element : document.array()) {
        if (!element.isString())
            return std::nullopt;
        list.append(element.toString());
    }
    return list;
}

QByteArray columnBytes(sqlite3_stmt *statement, int column)
{
    const auto *data = static_cast<const char *>(sqlite3_column_blob(statement, column));
    return QByteArray(data ? data : "", sqlite3_column_bytes(statement, column));
}

QString columnText(sqlite3_stmt *statement, int column)
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    return QString::fromUtf8(data ? data : "", sqlite3_column_bytes(statement, column));
}

std::optional<QVariant> decodeRow(sqlite3_stmt *row)
{
    const int columnType = sqlite3_column_type(row, 2);
    switch (StoredType(sqlite3_column_int(row, 1))) {
    case StoredType::Bytes:
        if (columnType == SQLITE_BLOB || columnType == SQLITE_NULL)
            return QVariant(columnBytes(row, 2));
        break;
    case StoredType::Bool:
        if (columnType == SQLITE_INTEGER)
            return QVariant(sqlite3_column_int64(row, 2) != 0);
        break;
    case StoredType::Integer:
        if (columnType == SQLITE_INTEGER)
            return QVariant(qlonglong(sqlite3_column_int64(row, 2)));
        break;
    case StoredType::String:
        if (columnType == SQLITE_TEXT)
            return QVariant(columnText(row, 2));
        break;
    case StoredType::StringList:
        if (columnType == SQLITE_TEXT) {
            if (const auto list = decodeStringList(columnBytes(row, 2)))
                return QVariant(*list);
        }
        break;
    }
    return std::nullopt;
}

}

SqlitePreferenceBackend::SqlitePreferenceBackend(const QString &path) : m_path(path)
{
    if (open() && readAll(m_initialValues))
        return;
    moveAside(lastError());
    if (!open() || !readAll(m_initialValues)) {
        qWarning("Dayloom: cannot create the preference database %s (%s); settings will not be kept.",
                 qUtf8Printable(m_path), qUtf8Printable(lastError()));
        openInMemory();
    }
}

SqlitePreferenceBackend::~SqlitePreferenceBackend()
{
    close();
}

QString SqlitePreferenceBackend::lastError() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("cannot open the file");
}

bool SqlitePreferenceBackend::exec(const char *sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool SqlitePreferenceBackend::open()
{
    const QByteArray path = QFile::encodeName(m_path);
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return false;
    sqlite3_busy_timeout(m_db, 5000);
    // WAL with NORMAL sync: a committed write survives a crash of the process; the log is
    // synced at checkpoints, which keeps large writes fast.
    // Large pages and a cache that holds a whole event list keep multi-megabyte values cheap to
    // rewrite; freed pages need not be zeroed, the same data is rewritten right away.
    return exec("PRAGMA page_size=65536") && exec("PRAGMA secure_delete=OFF") && exec("PRAGMA cache_size=-32768")
            && exec("PRAGMA journal_mode=WAL") && exec("PRAGMA synchronous=NORMAL")
            // A rowid table with a separate key index: looking up a key then never reads another
            // key's multi-megabyte value, as it would in a table clustered on the key.
            && exec("CREATE TABLE IF NOT EXISTS preferences ("
                    "key TEXT PRIMARY KEY NOT NULL, type INTEGER NOT NULL, value)")
            && sqlite3_prepare_v2(m_db, "INSERT OR REPLACE INTO preferences (key, type, value) VALUES (?, ?, ?)",
                                  -1, &m_upsert, nullptr) == SQLITE_OK
            && sqlite3_prepare_v2(m_db,
                                  "INSERT OR REPLACE INTO preferences (key, type, value) VALUES (?, ?, zeroblob(?))",
                                  -1, &m_upsertZeroBlob, nullptr) == SQLITE_OK
            && sqlite3_prepare_v2(m_db, "DELETE FROM preferences WHERE key = ?", -1, &m_delete, nullptr) == SQLITE_OK;
}

bool SqlitePreferenceBackend::readAll(QHash<QString, QVariant> &values)
{
    values.clear();
    sqlite3_stmt *check = nullptr;
    bool intact = sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK
            && sqlite3_step(check) == SQLITE_ROW && columnText(check, 0) == QLatin1String("ok");
    sqlite3_finalize(check);
    if (!intact)
        return false;

    sqlite3_stmt *rows = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT key, type, value FROM preferences", -1, &rows, nullptr) != SQLITE_OK)
        return false;
    int step;
    while ((step = sqlite3_step(rows)) == SQLITE_ROW) {
        const QString key = columnText(rows, 0);
        if (const auto value = decodeRow(rows))
            values.insert(key, *value);
        else
            qWarning("Dayloom: the stored preference %s cannot be read and is ignored.", qUtf8Printable(key));
    }
    sqlite3_finalize(rows);
    return step == SQLITE_DONE;
}

void SqlitePreferenceBackend::close()
{
    sqlite3_finalize(m_upsert);
    sqlite3_finalize(m_upsertZeroBlob);
    sqlite3_finalize(m_delete);
    sqlite3_close(m_db);
    m_upsert = m_upsertZeroBlob = m_delete = nullptr;
    m_db = nullptr;
}

void SqlitePreferenceBackend::moveAside(const QString &reason)
{
    close();
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFile::exists(target); ++n)
        target = m_path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    // The log and shared-memory files belong to the database; they move with it.
    for (const QLatin1String suffix : {QLatin1String(""), QLatin1String("-wal"), QLatin1String("-shm")}) {
        if (QFile::exists(m_path + suffix) && !QFile::rename(m_path + suffix, target + suffix)) {
            qWarning("Dayloom: the preference database %s cannot be read (%s) nor moved aside; "
                     "settings will not be kept this time.",
                     qUtf8Printable(m_path), qUtf8Printable(reason));
            openInMemory();
            return;
        }
    }
    m_movedAsidePath = target;
    qWarning("Dayloom: the preference database could not be read (%s). It was moved to %s and a new one "
             "was started.",
             qUtf8Printable(reason), qUtf8Printable(target));
}

void SqlitePreferenceBackend::openInMemory()
{
    close();
    m_path = QStringLiteral(":memory:");
    open();
}

QHash<QString, QVariant> SqlitePreferenceBackend::loadAll()
{
    return std::exchange(m_initialValues, {});
}

bool SqlitePreferenceBackend::write(const QString &key, const QVariant &value)
{
    if (!m_upsert)
        return false;
    const QByteArray keyUtf8 = key.toUtf8();
    if (value.metaType().id() == QMetaType::QByteArray && value.toByteArray().size() >= largeValueBytes) {
        if (writeLargeBytes(keyUtf8, value.toByteArray()))
            return true;
        qWarning("Dayloom: the preference %s could not be saved (%s).", qUtf8Printable(key), qUtf8Printable(lastError()));
        exec("ROLLBACK"); // after the message, which reports the failure rather than the rollback
        return false;
    }
    sqlite3_reset(m_upsert);
    sqlite3_bind_text(m_upsert, 1, keyUtf8.constData(), int(keyUtf8.size()), SQLITE_STATIC);
    QByteArray payload;
    switch (value.metaType().id()) {
    case QMetaType::QByteArray:
        payload = value.toByteArray();
        sqlite3_bind_int(m_upsert, 2, int(StoredType::Bytes));
        sqlite3_bind_blob64(m_upsert, 3, payload.constData(), sqlite3_uint64(payload.size()), SQLITE_STATIC);
        break;
    case QMetaType::Bool:
        sqlite3_bind_int(m_upsert, 2, int(StoredType::Bool));
        sqlite3_bind_int(m_upsert, 3, value.toBool() ? 1 : 0);
        break;
    case QMetaType::LongLong:
        sqlite3_bind_int(m_upsert, 2, int(StoredType::Integer));
        sqlite3_bind_int64(m_upsert, 3, value.toLongLong());
        break;
    case QMetaType::QString:
        payload = value.toString().toUtf8();
        sqlite3_bind_int(m_upsert, 2, int(StoredType::String));
        sqlite3_bind_text64(m_upsert, 3, payload.constData(), sqlite3_uint64(payload.size()), SQLITE_STATIC, SQLITE_UTF8);
        break;
    case QMetaType::QStringList:
        payload = encodeStringList(value.toStringList());
        sqlite3_bind_int(m_upsert, 2, int(StoredType::StringList));
        sqlite3_bind_text64(m_upsert, 3, payload.constData(), sqlite3_uint64(payload.size()), SQLITE_STATIC, SQLITE_UTF8);
        break;
    default:
        return false;
    }
    const bool done = sqlite3_step(m_upsert) == SQLITE_DONE;
    sqlite3_reset(m_upsert);
    sqlite3_clear_bindings(m_upsert);
    if (!done)
        qWarning("Dayloom: the preference %s could not be saved (%s).", qUtf8Printable(key), qUtf8Printable(lastError()));
    return done;
}

// A multi-megabyte value is written straight into the database pages: a row of zeros of the
// right length first, then the bytes through an incremental blob handle, both in one transaction.
// An ordinary insert would first copy the whole value into a record buffer of its own.
bool SqlitePreferenceBackend::writeLargeBytes(const QByteArray &key, const QByteArray &bytes)
{
    if (bytes.size() > std::numeric_limits<int>::max() || !exec("BEGIN IMMEDIATE"))
        return false;
    sqlite3_reset(m_upsertZeroBlob);
    sqlite3_bind_text(m_upsertZeroBlob, 1, key.constData(), int(key.size()), SQLITE_STATIC);
    sqlite3_bind_int(m_upsertZeroBlob, 2, int(StoredType::Bytes));
    sqlite3_bind_int64(m_upsertZeroBlob, 3, bytes.size());
    bool done = sqlite3_step(m_upsertZeroBlob) == SQLITE_DONE;
    sqlite3_reset(m_upsertZeroBlob);
    sqlite3_blob *blob = nullptr;
    done = done
            && sqlite3_blob_open(m_db, "main", "preferences", "value", sqlite3_last_insert_rowid(m_db), 1, &blob)
                    == SQLITE_OK
            && sqlite3_blob_write(blob, bytes.constData(), int(bytes.size()), 0) == SQLITE_OK;
    done = sqlite3_blob_close(blob) == SQLITE_OK && done;
    return done && exec("COMMIT");
}

bool SqlitePreferenceBackend::remove(const QString &key)
{
    if (!m_delete)
        return false;
    const QByteArray keyUtf8 = key.toUtf8();
    sqlite3_reset(m_delete);
    sqlite3_bind_text(m_delete, 1, keyUtf8.constData(), int(keyUtf8.size()), SQLITE_STATIC);
    const bool done = sqlite3_step(m_delete) == SQLITE_DONE;
    sqlite3_reset(m_delete);
    if (!done)
        qWarning("Dayloom: the preference %s could not be removed (%s).", qUtf8Printable(key), qUtf8Printable(lastError()));
    return done;
}
