#pragma once

#include "calendar.h"
#include "calendardatabase.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QSet>
#include <QTimeZone>
#include <QTimer>

#include <functional>
#include <memory>

class VdirCalendarDatabaseItem;

// The calendar database on Linux: iCalendar collections in the vdir layout that vdir tools and
// CalDAV synchronisers share.
//
//   <root>/<source>/<calendar>/<event>.ics
//
// Each folder of the root is an account source titled by its name; each folder of a source is a
// calendar titled by its "displayname" file, else its name; each .ics file holds one event with
// its overrides. Hidden files, files not ending in ".ics" and temporary files are ignored. What
// vdir has no word for lives in files beside its own: "dayloom-type" holds a source's type (local,
// caldav, subscribed, birthdays) or a calendar's (local, caldav, subscription, birthday), and a
// "dayloom-read-only" file makes a calendar read-only. A source named "Local" is local.
//
// Identifiers are paths below the root ("source/calendar" and "source/calendar/file.ics") with "%"
// and "|" escaped; identifiers and the files they name are checked to stay inside the root.
//
// Access: the user's answer to the access question is kept in its own file. With no answer the
// status is NotDetermined, and "no" is Denied. After "yes", a root that exists but cannot be read
// is Denied as well, and one that can be read but not written is Restricted. A root that does not
// exist yet is FullAccess with no calendars. WriteOnly never occurs here.
//
// Changes are noticed through the folders, which every program that replaces files atomically
// (as vdir tools do) touches; an announcement follows once the folders have been quiet for a while.
class VdirCalendarDatabase final : public CalendarDatabase
{
    Q_OBJECT

public:
    // Shows the access question in the window and answers the user's choice.
    using AccessPrompt = std::function<QCoro::Task<bool>()>;

    // The folder "calendars" in the user's data directory (XDG_DATA_HOME).
    static QString defaultRootPath();
    // A file in the application's data directory.
    static QString defaultAccessAnswerPath();

    // Date values and floating times are read and written in `zone`.
    explicit VdirCalendarDatabase(const QString &rootPath = defaultRootPath(),
                                  const QString &accessAnswerPath = defaultAccessAnswerPath(),
                                  const QTimeZone &zone = QTimeZone::systemTimeZone(), QObject *parent = nullptr);
    ~VdirCalendarDatabase() override;

    void setAccessPrompt(AccessPrompt prompt);
    // Forgets the user's answer, so that the next request asks again.
    void resetAuthorization();
    void setChangeQuietPeriod(int milliseconds);

    CalendarAuthorization authorizationStatus() const override;
    QCoro::Task<AccessAnswer> requestFullAccess() override;
    QList<DeviceCalendar> calendars() override;
    std::optional<DeviceCalendar> calendar(const QString &identifier) override;
    void refreshSourcesIfNecessary() override;
    QList<DeviceEvent> events(Instant start, Instant end,
                              const std::optional<QStringList> &calendarIdentifiers = std::nullopt) override;
    std::optional<DeviceEvent> event(const QString &identifier) override;
    SaveResult saveEvent(const DeviceEvent &event) override;
    std::optional<CalendarDatabaseError> removeEvent(const DeviceEvent &event) override;

private:
    struct CalendarFolder
    {
        DeviceCalendar calendar;
        QString path;
    };
    struct Layout
    {
        QStringList sourcePaths;
        QList<CalendarFolder> calendars;
    };
    struct EventFile
    {
        CalendarFolder folder;
        QString fileName;
        QString path;
    };
    struct FileStamp
    {
        qint64 modified = 0; // nanoseconds
        qint64 size = 0;
        quint64 inode = 0;
        bool isLink = false;
        bool operator==(const FileStamp &) const = default;
    };
    struct CachedItem
    {
        FileStamp stamp;
        std::shared_ptr<const VdirCalendarDatabaseItem> item; // null when the file cannot be read
    };
    using FolderCache = QHash<QString, CachedItem>; // by file name

    bool hasAccess() const { return authorizationStatus() == CalendarAuthorization::FullAccess; }
    std::optional<CalendarDatabaseError> accessError() const;
    void storeAnswer(bool granted);

    void warnOnce(const QString &message);

    QString canonicalRoot() const;
    bool isInsideRoot(const QString &canonicalPath, const QString &root) const;
    bool isListedFolder(const QFileInfo &folder, const QString &root);
    Layout scanLayout();
    CalendarFolder calendarFolder(const QFileInfo &source, const QFileInfo &folder) const;
    std::optional<CalendarFolder> findCalendar(const QString &identifier);
    std::variant<EventFile, CalendarDatabaseError> locateEvent(const QString &identifier);

    static std::optional<FileStamp> stampOf(const QString &path);
    QStringList itemFileNames(const QString &calendarPath) const;
    CachedItem refreshed(CachedItem entry, const QString &path, const QString &root);
    void forget(const EventFile &file) { m_cache[file.folder.path].remove(file.fileName); }
    struct Change;
    std::variant<Change, CalendarDatabaseError> beginChange(const QString &identifier);
    static std::optional<CalendarDatabaseError> writeFile(const QString &path, const QByteArray &data);

    SaveResult createEvent(const DeviceEvent &event);
    static QString eventIdentifier(const DeviceCalendar &calendar, const QString &fileName);
    static DeviceEvent withIdentifiers(DeviceEvent event, const DeviceCalendar &calendar, const QString &fileName);

    void scheduleChange();
    void updateWatchedFolders();

    QString m_rootPath;
    QString m_accessAnswerPath;
    Calendar m_local;
    std::optional<bool> m_answer;
    AccessPrompt m_prompt;
    QHash<QString, FolderCache> m_cache; // by calendar folder path
    QSet<QString> m_reported;           // messages already written to standard error
    QFileSystemWatcher m_watcher;
    QTimer m_quietTimer;
};
