#include "vdircalendardatabase.h"

#include "clock.h"
#include "uuid.h"
#include "vdircalendardatabaseitem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

#include <sys/stat.h>

namespace {

constexpr int kDefaultQuietPeriodMs = 300;
// vdir items are small; a larger file is not read, so that one stray file cannot exhaust memory.
constexpr qint64 kMaxItemFileSize = 16 * 1024 * 1024;

const QString kIcsSuffix = QStringLiteral(".ics");
const QString kDisplayNameFile = QStringLiteral("displayname");
const QString kTypeFile = QStringLiteral("dayloom-type");
const QString kReadOnlyFile = QStringLiteral("dayloom-read-only");
const QString kLocalSourceName = QStringLiteral("Local");
const QString kGranted = QStringLiteral("granted");
const QString kDenied = QStringLiteral("denied");

// A folder or file name inside an identifier: "%" and "|" escaped, so that an identifier never
// holds "|" and names exactly one path.
QString encodeName(const QString &name)
{
    QString encoded = name;
    encoded.replace(u'%', QStringLiteral("%25"));
    encoded.replace(u'|', QStringLiteral("%7C"));
    return encoded;
}

// The name that `text` encodes, or nothing when no listed folder or file encodes to it: no
// hidden names (which include "." and ".."), no separators, no other escapes.
std::optional<QString> decodeName(QStringView text)
{
    QString name;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'%') {
            name += text[i];
            continue;
        }
        const QStringView escape = text.mid(i + 1, 2);
        if (escape == u"25")
            name += u'%';
        else if (escape == u"7C")
            name += u'|';
        else
            return std::nullopt;
        i += 2;
    }
    if (name.isEmpty() || name.startsWith(u'.') || name.contains(u'/') || name.contains(QChar(u'\0'))
        || text.contains(u'|'))
        return std::nullopt;
    return name;
}

bool isItemFileName(const QString &name)
{
    return name.endsWith(kIcsSuffix, Qt::CaseInsensitive) && name.size() > kIcsSuffix.size() && !name.startsWith(u'.');
}

// The first line of a small metadata file, or empty.
QString readSmallText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).section(u'\n', 0, 0).trimmed();
}

CalendarSourceType sourceTypeOf(const QString &name, const QString &path)
{
    if (name == kLocalSourceName)
        return CalendarSourceType::Local;
    const QString type = readSmallText(QDir(path).filePath(kTypeFile));
    if (type == u"local")
        return CalendarSourceType::Local;
    if (type == u"subscribed")
        return CalendarSourceType::Subscribed;
    if (type == u"birthdays")
        return CalendarSourceType::Birthdays;
    return CalendarSourceType::CalDav;
}

CalendarType calendarTypeOf(const QString &path, CalendarSourceType sourceType)
{
    const QString type = readSmallText(QDir(path).filePath(kTypeFile));
    if (type == u"local")
        return CalendarType::Local;
    if (type == u"caldav")
        return CalendarType::CalDav;
    if (type == u"subscription")
        return CalendarType::Subscription;
    if (type == u"birthday")
        return CalendarType::Birthday;
    switch (sourceType) {
    case CalendarSourceType::Local:
        return CalendarType::Local;
    case CalendarSourceType::Subscribed:
        return CalendarType::Subscription;
    case CalendarSourceType::Birthdays:
        return CalendarType::Birthday;
    case CalendarSourceType::CalDav:
        break;
    }
    return CalendarType::CalDav;
}

std::optional<bool> readAnswer(const QString &path)
{
    if (!QFileInfo::exists(path))
        return std::nullopt;
    const QString answer = readSmallText(path);
    if (answer == kGranted)
        return true;
    if (answer == kDenied)
        return false;
    qWarning("Ignored the calendar access answer in %s: it is neither \"%s\" nor \"%s\".", qUtf8Printable(path),
             qUtf8Printable(kGranted), qUtf8Printable(kDenied));
    return std::nullopt;
}

CalendarDatabaseError error(const QString &description)
{
    return CalendarDatabaseError{description};
}

CalendarDatabaseError eventGone()
{
    return error(QStringLiteral("The event no longer exists."));
}

CalendarDatabaseError invalidIdentifier()
{
    return error(QStringLiteral("The event's identifier is not valid."));
}

CalendarDatabaseError readOnlyCalendar()
{
    return error(QStringLiteral("The calendar is read-only."));
}

}

QString VdirCalendarDatabase::defaultRootPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("calendars"));
}

QString VdirCalendarDatabase::defaultAccessAnswerPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("calendar-access"));
}

VdirCalendarDatabase::VdirCalendarDatabase(const QString &rootPath, const QString &accessAnswerPath,
                                           const QTimeZone &zone, QObject *parent)
    : CalendarDatabase(parent),
      m_rootPath(QDir::cleanPath(QDir(rootPath).absolutePath())),
      m_accessAnswerPath(accessAnswerPath),
      m_local(zone, 1, QLocale::c()),
      m_answer(readAnswer(accessAnswerPath))
{
    icalerror_set_errors_are_fatal(0); // a malformed file must never abort the application
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(kDefaultQuietPeriodMs);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &VdirCalendarDatabase::scheduleChange);
    connect(&m_quietTimer, &QTimer::timeout, this, [this] {
        updateWatchedFolders();
        emit changed();
    });
    updateWatchedFolders();
}

VdirCalendarDatabase::~VdirCalendarDatabase() = default;

void VdirCalendarDatabase::setAccessPrompt(AccessPrompt prompt)
{
    m_prompt = std::move(prompt);
}

void VdirCalendarDatabase::setChangeQuietPeriod(int milliseconds)
{
    m_quietTimer.setInterval(milliseconds);
}

void VdirCalendarDatabase::warnOnce(const QString &message)
{
    if (m_reported.contains(message))
        return;
    m_reported.insert(message);
    qWarning("%s", qUtf8Printable(message));
}

// ---- access

CalendarAuthorization VdirCalendarDatabase::authorizationStatus() const
{
    if (!m_answer)
        return CalendarAuthorization::NotDetermined;
    if (!*m_answer)
        return CalendarAuthorization::Denied;
    const QFileInfo root(m_rootPath);
    if (!root.exists())
        return CalendarAuthorization::FullAccess;
    if (!root.isDir() || !root.isReadable() || !root.isExecutable())
        return CalendarAuthorization::Denied;
    if (!root.isWritable())
        return CalendarAuthorization::Restricted;
    return CalendarAuthorization::FullAccess;
}

QCoro::Task<CalendarDatabase::AccessAnswer> VdirCalendarDatabase::requestFullAccess()
{
    if (!m_answer) {
        if (!m_prompt)
            co_return error(QStringLiteral("There is no window in which to ask for access to your calendars."));
        const QPointer<VdirCalendarDatabase> self(this);
        const AccessPrompt prompt = m_prompt; // the prompt may be replaced while the user decides
        const bool granted = co_await prompt();
        if (!self)
            co_return false;
        storeAnswer(granted);
    }
    updateWatchedFolders();
    co_return hasAccess();
}

void VdirCalendarDatabase::storeAnswer(bool granted)
{
    m_answer = granted;
    QDir().mkpath(QFileInfo(m_accessAnswerPath).absolutePath());
    QSaveFile file(m_accessAnswerPath);
    const QByteArray text = ((granted ? kGranted : kDenied) + u'\n').toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        qWarning("Could not keep the calendar access answer in %s (%s); it will be asked again at the next start.",
                 qUtf8Printable(m_accessAnswerPath), qUtf8Printable(file.errorString()));
}

void VdirCalendarDatabase::resetAuthorization()
{
    m_answer.reset();
    if (QFileInfo::exists(m_accessAnswerPath) && !QFile::remove(m_accessAnswerPath))
        qWarning("Could not remove the calendar access answer %s.", qUtf8Printable(m_accessAnswerPath));
    m_cache.clear();
    updateWatchedFolders();
}

std::optional<CalendarDatabaseError> VdirCalendarDatabase::accessError() const
{
    if (hasAccess())
        return std::nullopt;
    return error(QStringLiteral("Dayloom is not allowed to use your calendars."));
}

// ---- layout

QString VdirCalendarDatabase::canonicalRoot() const
{
    return QFileInfo(m_rootPath).canonicalFilePath();
}

bool VdirCalendarDatabase::isInsideRoot(const QString &canonicalPath, const QString &root) const
{
    const QString prefix = root.endsWith(u'/') ? root : root + u'/';
    return !root.isEmpty() && canonicalPath.startsWith(prefix);
}

// Symbolic links are followed only while they stay inside the root.
bool VdirCalendarDatabase::isListedFolder(const QFileInfo &folder, const QString &root)
{
    if (!folder.isDir() || folder.fileName().startsWith(u'.'))
        return false;
    if (isInsideRoot(folder.canonicalFilePath(), root))
        return true;
    warnOnce(QStringLiteral("Ignored the calendar folder %1: it leads outside %2.").arg(folder.filePath(), m_rootPath));
    return false;
}

VdirCalendarDatabase::CalendarFolder VdirCalendarDatabase::calendarFolder(const QFileInfo &source,
                                                                          const QFileInfo &folder) const
{
    DeviceCalendar calendar;
    calendar.sourceIdentifier = encodeName(source.fileName());
    calendar.sourceTitle = source.fileName();
    calendar.sourceType = sourceTypeOf(source.fileName(), source.filePath());
    calendar.identifier = calendar.sourceIdentifier + u'/' + encodeName(folder.fileName());
    const QString displayName = readSmallText(QDir(folder.filePath()).filePath(kDisplayNameFile));
    calendar.title = displayName.isEmpty() ? folder.fileName() : displayName;
    calendar.type = calendarTypeOf(folder.filePath(), calendar.sourceType);
    calendar.isWritable = calendar.type != CalendarType::Subscription && calendar.type != CalendarType::Birthday
            && !QFileInfo::exists(QDir(folder.filePath()).filePath(kReadOnlyFile)) && folder.isWritable();
    return CalendarFolder{calendar, folder.filePath()};
}

VdirCalendarDatabase::Layout VdirCalendarDatabase::scanLayout()
{
    Layout layout;
    const QString root = canonicalRoot();
    if (root.isEmpty())
        return layout;
    const auto folders = [](const QString &path) {
        return QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    };
    for (const QFileInfo &source : folders(m_rootPath)) {
        if (!isListedFolder(source, root))
            continue;
        layout.sourcePaths.append(source.filePath());
        for (const QFileInfo &folder : folders(source.filePath())) {
            if (isListedFolder(folder, root))
                layout.calendars.append(calendarFolder(source, folder));
        }
    }
    return layout;
}

std::optional<VdirCalendarDatabase::CalendarFolder> VdirCalendarDatabase::findCalendar(const QString &identifier)
{
    const QStringList parts = identifier.split(u'/');
    if (parts.size() != 2)
        return std::nullopt;
    const auto sourceName = decodeName(parts[0]);
    const auto calendarName = decodeName(parts[1]);
    const QString root = canonicalRoot();
    if (!sourceName || !calendarName || root.isEmpty())
        return std::nullopt;
    const QFileInfo source(QDir(m_rootPath).filePath(*sourceName));
    const QFileInfo folder(QDir(source.filePath()).filePath(*calendarName));
    if (!isListedFolder(source, root) || !isListedFolder(folder, root))
        return std::nullopt;
    return calendarFolder(source, folder);
}

std::variant<VdirCalendarDatabase::EventFile, CalendarDatabaseError>
VdirCalendarDatabase::locateEvent(const QString &identifier)
{
    const qsizetype slash = identifier.lastIndexOf(u'/');
    const auto fileName = decodeName(QStringView(identifier).mid(slash + 1));
    if (slash < 0 || !fileName || !isItemFileName(*fileName) || identifier.count(u'/') != 2)
        return invalidIdentifier();
    const auto folder = findCalendar(identifier.left(slash));
    if (!folder)
        return eventGone();
    const QFileInfo file(QDir(folder->path).filePath(*fileName));
    if (!file.isFile())
        return eventGone();
    if (!isInsideRoot(file.canonicalFilePath(), canonicalRoot()))
        return invalidIdentifier();
    return EventFile{*folder, *fileName, file.filePath()};
}

QList<DeviceCalendar> VdirCalendarDatabase::calendars()
{
    QList<DeviceCalendar> result;
    if (!hasAccess())
        return result;
    for (const CalendarFolder &folder : scanLayout().calendars)
        result.append(folder.calendar);
    return result;
}

std::optional<DeviceCalendar> VdirCalendarDatabase::calendar(const QString &identifier)
{
    if (!hasAccess())
        return std::nullopt;
    const auto folder = findCalendar(identifier);
    return folder ? std::optional(folder->calendar) : std::nullopt;
}

void VdirCalendarDatabase::refreshSourcesIfNecessary()
{
    updateWatchedFolders();
}

// ---- reading

// Size, time and inode tell a changed file from the one read before; atomic replacement gives a
// new inode even within the same nanosecond.
std::optional<VdirCalendarDatabase::FileStamp> VdirCalendarDatabase::stampOf(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info{};
    if (::lstat(name.constData(), &info) != 0)
        return std::nullopt;
    const bool isLink = S_ISLNK(info.st_mode);
    if ((isLink && ::stat(name.constData(), &info) != 0) || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp{qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec, qint64(info.st_size),
                     quint64(info.st_ino), isLink};
}

namespace {

// The bytes of an item file, or why they cannot be had.
std::variant<QByteArray, QString> readItemFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return file.errorString();
    const qint64 size = file.size();
    if (size > kMaxItemFileSize)
        return QStringLiteral("it is larger than %1 bytes").arg(kMaxItemFileSize);
    QByteArray data(size, Qt::Uninitialized);
    if (file.read(data.data(), size) != size)
        return file.errorString();
    return data;
}

}

QStringList VdirCalendarDatabase::itemFileNames(const QString &calendarPath) const
{
    QStringList names = QDir(calendarPath).entryList(QDir::Files, QDir::Name);
    names.removeIf([](const QString &name) { return !isItemFileName(name); });
    return names;
}

// `entry` for the file at `path`, read again when the file changed since.
VdirCalendarDatabase::CachedItem VdirCalendarDatabase::refreshed(CachedItem entry, const QString &path,
                                                                 const QString &root)
{
    const auto stamp = stampOf(path);
    if (!stamp)
        return CachedItem{};
    if (entry.stamp == *stamp)
        return entry;

    entry = CachedItem{*stamp, nullptr};
    const auto skip = [&](const QString &reason) {
        warnOnce(QStringLiteral("Skipped the calendar file %1: %2.").arg(path, reason));
    };
    if (stamp->isLink && !isInsideRoot(QFileInfo(path).canonicalFilePath(), root)) {
        skip(QStringLiteral("it leads outside %1").arg(m_rootPath));
    } else if (auto data = readItemFile(path); std::holds_alternative<QString>(data)) {
        skip(std::get<QString>(data));
    } else if (auto parsed = VdirCalendarDatabaseItem::parse(std::get<QByteArray>(data), m_local);
               std::holds_alternative<QString>(parsed)) {
        skip(std::get<QString>(parsed));
    } else {
        auto item = std::make_shared<VdirCalendarDatabaseItem>(std::get<VdirCalendarDatabaseItem>(std::move(parsed)));
        if (!item->warning().isEmpty())
            warnOnce(QStringLiteral("Read the calendar file %1 in part: %2.").arg(path, item->warning()));
        entry.item = std::move(item);
    }
    return entry;
}

QString VdirCalendarDatabase::eventIdentifier(const DeviceCalendar &calendar, const QString &fileName)
{
    return calendar.identifier + u'/' + encodeName(fileName);
}

DeviceEvent VdirCalendarDatabase::withIdentifiers(DeviceEvent event, const DeviceCalendar &calendar,
                                                  const QString &fileName)
{
    event.calendarIdentifier = calendar.identifier;
    event.identifier = eventIdentifier(calendar, fileName);
    return event;
}

QList<DeviceEvent> VdirCalendarDatabase::events(Instant start, Instant end,
                                                const std::optional<QStringList> &calendarIdentifiers)
{
    QList<DeviceEvent> result;
    if (!hasAccess())
        return result;
    const QString root = canonicalRoot();
    QSet<QString> scannedFolders;
    for (const CalendarFolder &folder : scanLayout().calendars) {
        if (calendarIdentifiers && !calendarIdentifiers->contains(folder.calendar.identifier))
            continue;
        scannedFolders.insert(folder.path);
        FolderCache &cache = m_cache[folder.path];
        FolderCache current; // drops the files that are gone
        current.reserve(cache.size());
        for (const QString &name : itemFileNames(folder.path)) {
            const CachedItem entry = refreshed(cache.take(name), folder.path + u'/' + name, root);
            if (entry.item) {
                const QString identifier = eventIdentifier(folder.calendar, name);
                for (DeviceEvent &event : entry.item->occurrences(start, end)) {
                    event.identifier = identifier;
                    event.calendarIdentifier = folder.calendar.identifier;
                    result.append(std::move(event));
                }
            }
            current.insert(name, entry);
        }
        cache = std::move(current);
    }
    if (!calendarIdentifiers)
        m_cache.removeIf([&](const QHash<QString, FolderCache>::iterator it) { return !scannedFolders.contains(it.key()); });
    std::sort(result.begin(), result.end(), [](const DeviceEvent &a, const DeviceEvent &b) {
        return a.start != b.start ? a.start < b.start : a.identifier < b.identifier;
    });
    return result;
}

std::optional<DeviceEvent> VdirCalendarDatabase::event(const QString &identifier)
{
    if (!hasAccess())
        return std::nullopt;
    const auto located = locateEvent(identifier);
    if (!std::holds_alternative<EventFile>(located))
        return std::nullopt;
    const EventFile &file = std::get<EventFile>(located);
    FolderCache &cache = m_cache[file.folder.path];
    const CachedItem entry = refreshed(cache.value(file.fileName), file.path, canonicalRoot());
    cache.insert(file.fileName, entry);
    const auto first = entry.item ? entry.item->firstOccurrence() : std::nullopt;
    return first ? std::optional(withIdentifiers(*first, file.folder.calendar, file.fileName)) : std::nullopt;
}

// ---- writing

struct VdirCalendarDatabase::Change
{
    EventFile file;
    VdirCalendarDatabaseItem item;
};

// The event's file read afresh for a change, once it is known to lie in a writable calendar.
std::variant<VdirCalendarDatabase::Change, CalendarDatabaseError> VdirCalendarDatabase::beginChange(const QString &identifier)
{
    if (auto denied = accessError())
        return *denied;
    auto located = locateEvent(identifier);
    if (auto *failure = std::get_if<CalendarDatabaseError>(&located))
        return *failure;
    const EventFile &file = std::get<EventFile>(located);
    if (!file.folder.calendar.isWritable)
        return readOnlyCalendar();
    if (!QFileInfo(file.path).isWritable())
        return error(QStringLiteral("The event's file is read-only."));
    auto data = readItemFile(file.path);
    if (auto *reason = std::get_if<QString>(&data))
        return error(QStringLiteral("The event's file could not be read: %1.").arg(*reason));
    auto parsed = VdirCalendarDatabaseItem::parse(std::get<QByteArray>(data), m_local);
    if (auto *reason = std::get_if<QString>(&parsed))
        return error(QStringLiteral("The event's file could not be read: %1.").arg(*reason));
    return Change{file, std::get<VdirCalendarDatabaseItem>(std::move(parsed))};
}

std::optional<CalendarDatabaseError> VdirCalendarDatabase::writeFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
        return error(QStringLiteral("The event's file could not be written: %1.").arg(file.errorString()));
    return std::nullopt;
}

CalendarDatabase::SaveResult VdirCalendarDatabase::saveEvent(const DeviceEvent &event)
{
    if (event.identifier.isEmpty())
        return createEvent(event);
    auto begun = beginChange(event.identifier);
    if (auto *failure = std::get_if<CalendarDatabaseError>(&begun))
        return *failure;
    Change &change = std::get<Change>(begun);
    const auto saved = change.item.save(event, Clock::shared().now());
    if (auto *reason = std::get_if<QString>(&saved))
        return error(*reason);
    forget(change.file);
    if (auto failure = writeFile(change.file.path, change.item.serialized()))
        return *failure;
    return withIdentifiers(std::get<DeviceEvent>(saved), change.file.folder.calendar, change.file.fileName);
}

CalendarDatabase::SaveResult VdirCalendarDatabase::createEvent(const DeviceEvent &event)
{
    if (auto denied = accessError())
        return *denied;
    const auto folder = findCalendar(event.calendarIdentifier);
    if (!folder)
        return error(QStringLiteral("The calendar no longer exists."));
    if (!folder->calendar.isWritable)
        return readOnlyCalendar();
    const QString uid = Uuid::create();
    const QString fileName = uid + kIcsSuffix;
    const QString path = QDir(folder->path).filePath(fileName);
    if (QFileInfo::exists(path))
        return error(QStringLiteral("An event file named %1 already exists.").arg(fileName));

    const Instant now = Clock::shared().now();
    auto item = VdirCalendarDatabaseItem::create(uid, now, m_local);
    DeviceEvent fresh = event;
    fresh.recurrenceId.reset();
    const auto saved = item.save(fresh, now);
    if (auto *reason = std::get_if<QString>(&saved))
        return error(*reason);
    if (auto failure = writeFile(path, item.serialized()))
        return *failure;
    return withIdentifiers(std::get<DeviceEvent>(saved), folder->calendar, fileName);
}

std::optional<CalendarDatabaseError> VdirCalendarDatabase::removeEvent(const DeviceEvent &event)
{
    auto begun = beginChange(event.identifier);
    if (auto *failure = std::get_if<CalendarDatabaseError>(&begun))
        return *failure;
    Change &change = std::get<Change>(begun);
    const auto removal = change.item.remove(event);
    if (auto *reason = std::get_if<QString>(&removal))
        return error(*reason);
    forget(change.file);
    if (std::get<VdirCalendarDatabaseItem::Removal>(removal) == VdirCalendarDatabaseItem::Removal::Rewrite)
        return writeFile(change.file.path, change.item.serialized());
    QFile doomed(change.file.path);
    if (!doomed.remove())
        return error(QStringLiteral("The event's file could not be removed: %1.").arg(doomed.errorString()));
    return std::nullopt;
}

// ---- change notification

void VdirCalendarDatabase::scheduleChange()
{
    m_quietTimer.start();
}

// Watches the root, every source and every calendar folder; while the root does not exist, its
// parent, so that its creation is noticed.
void VdirCalendarDatabase::updateWatchedFolders()
{
    QSet<QString> wanted;
    if (hasAccess()) {
        if (QFileInfo(m_rootPath).isDir()) {
            const Layout layout = scanLayout();
            wanted.insert(m_rootPath);
            for (const QString &source : layout.sourcePaths)
                wanted.insert(source);
            for (const CalendarFolder &folder : layout.calendars)
                wanted.insert(folder.path);
        } else if (const QFileInfo parent(QFileInfo(m_rootPath).absolutePath()); parent.isDir()) {
            wanted.insert(parent.filePath());
        }
    }
    const QStringList watchedList = m_watcher.directories();
    const QSet<QString> watched(watchedList.cbegin(), watchedList.cend());
    const QSet<QString> gone = watched - wanted;
    const QSet<QString> added = wanted - watched;
    if (!gone.isEmpty())
        m_watcher.removePaths(gone.values());
    if (!added.isEmpty())
        m_watcher.addPaths(added.values());
}
