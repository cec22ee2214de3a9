#include "applecalendarsync.h"

#include "clock.h"
#include "eventstore.h"
#include "palette.h"
#include "preferences.h"
#include "uuid.h"

#include <QHash>

#include <QCoro/QCoroTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <utility>

namespace {

constexpr double kDaySeconds = 86400;
// A key's second beyond the year 9999 is no time the database could hold; such a key is looked up
// by its identifier alone, so that a hostile value never reaches the date arithmetic.
constexpr double kLatestKeySecond = 253402300799;

qint64 unixSecond(Instant t)
{
    return qint64(std::trunc(t.seconds + kReferenceDateUnixSeconds));
}

bool isFinite(Instant t)
{
    return std::isfinite(t.seconds);
}

// Texts in their canonical composed form, compared by Unicode scalar value: case-sensitive and the
// same in every locale.
bool scalarLess(const QString &a, const QString &b)
{
    const QList<uint> left = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> right = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(left.cbegin(), left.cend(), right.cbegin(), right.cend());
}

std::optional<QString> noneWhenEmpty(const QString &text)
{
    return text.isEmpty() ? std::nullopt : std::optional(text);
}

// The second piece of an occurrence key as a number, when it is one the database could hold.
std::optional<double> keySecond(const QString &piece)
{
    bool ok = false;
    const double t = piece.toDouble(&ok);
    if (!ok || !std::isfinite(t) || std::abs(t) > kLatestKeySecond)
        return std::nullopt;
    return t;
}

// What an import takes from the database for one occurrence.
struct ImportedFields
{
    QString identifier;
    QString key;
    bool repeats = false;
    QString title;
    QString notes;
    QString location;
    bool isAllDay = false;
    AppleCalendarSync::Times times;
};

// Copies the fields that follow the database; every other field keeps its local value.
void applyImported(CalendarEvent &event, const ImportedFields &fields, const Calendar &calendar)
{
    event.appleEventId = fields.key;
    event.title = fields.title;
    event.notes = fields.notes;
    event.location = fields.location;
    event.startTime = fields.times.start;
    event.endTime = fields.times.end;
    event.isAllDay = fields.isAllDay;
    event.date = calendar.startOfDay(fields.times.start);
    event.isDirty = false;
}

// Applies the occurrences of one pass to a copy of the store's events: known keys update their
// event, new ones are appended, and events gone from the database inside the window are removed.
class ImportMerge
{
public:
    ImportMerge(QList<CalendarEvent> &list, const Calendar &calendar, DateInterval window)
        : m_list(list), m_calendar(calendar), m_window(window)
    {
    }

    void run(const QList<DeviceEvent> &items)
    {
        indexList();
        QList<ImportedFields> unmatched;
        for (const DeviceEvent &item : items) {
            if (item.identifier.isEmpty() || !isFinite(item.start) || !isFinite(item.end))
                continue;
            ImportedFields fields = fieldsOf(item);
            m_seen.insert(fields.key);
            if (!updateByKey(fields))
                unmatched.append(std::move(fields));
        }
        // Only now is it known which keys are gone, so that a moved event can be recognised.
        for (const ImportedFields &fields : std::as_const(unmatched)) {
            if (updateByKey(fields)) // the same key twice in one pass
                continue;
            const auto moved = fields.repeats ? std::nullopt : movedEvent(fields.identifier);
            if (moved) {
                update(*moved, fields);
                m_claimed.insert(*moved);
            } else {
                CalendarEvent event;
                event.id = Uuid::create();
                event.colorName = defaultColourName();
                applyImported(event, fields, m_calendar);
                m_list.append(std::move(event));
            }
            m_indexByKey.insert(fields.key, moved ? *moved : m_list.size() - 1);
        }
        removeVanished();
    }

private:
    ImportedFields fieldsOf(const DeviceEvent &item) const
    {
        return ImportedFields{item.identifier,
                              AppleCalendarSync::occurrenceKey(item.identifier, item.start),
                              item.recurrenceId.has_value(),
                              item.title.value_or(QStringLiteral("(No title)")),
                              item.notes.value_or(QString()),
                              item.location.value_or(QString()),
                              item.isAllDay,
                              AppleCalendarSync::importedTimes(item, m_calendar)};
    }

    // Reading through a const view, so that a pass that changes nothing leaves the list shared.
    const CalendarEvent &at(qsizetype index) const { return std::as_const(m_list)[index]; }

    void indexList()
    {
        m_indexByKey.reserve(m_list.size());
        for (qsizetype i = 0; i < m_list.size(); ++i) {
            const auto &key = at(i).appleEventId;
            if (!key)
                continue;
            if (!m_indexByKey.contains(*key))
                m_indexByKey.insert(*key, i);
            m_indexesByIdentifier[key->section(u'|', 0, 0)].append(i);
        }
    }

    void update(qsizetype index, const ImportedFields &fields)
    {
        CalendarEvent copy = at(index);
        applyImported(copy, fields, m_calendar);
        if (copy != at(index))
            m_list[index] = std::move(copy);
    }

    bool updateByKey(const ImportedFields &fields)
    {
        const auto found = m_indexByKey.constFind(fields.key);
        if (found == m_indexByKey.cend())
            return false;
        update(*found, fields);
        return true;
    }

    bool isVanished(const CalendarEvent &event) const
    {
        return event.appleEventId && !m_seen.contains(*event.appleEventId) && event.startTime < m_window.end
                && event.endTime > m_window.start;
    }

    // A single event moved in the database comes back under a new key. When exactly one event of
    // that identifier vanished from the window, it is the same event: it keeps its local fields.
    std::optional<qsizetype> movedEvent(const QString &identifier) const
    {
        std::optional<qsizetype> candidate;
        for (const qsizetype index : m_indexesByIdentifier.value(identifier)) {
            if (m_claimed.contains(index) || !isVanished(at(index)))
                continue;
            if (candidate)
                return std::nullopt;
            candidate = index;
        }
        return candidate;
    }

    void removeVanished()
    {
        const auto vanished = [this](const CalendarEvent &event) { return isVanished(event); };
        if (std::any_of(m_list.cbegin(), m_list.cend(), vanished))
            m_list.removeIf(vanished);
    }

    QList<CalendarEvent> &m_list;
    const Calendar &m_calendar;
    DateInterval m_window;
    QHash<QString, qsizetype> m_indexByKey; // the first event holding each key
    QHash<QString, QList<qsizetype>> m_indexesByIdentifier;
    QSet<QString> m_seen;
    QSet<qsizetype> m_claimed;
};

}

AppleCalendarSync::AppleCalendarSync(Preferences &preferences, CalendarDatabase &database,
                                     std::optional<Calendar> calendar, QObject *parent)
    : QObject(parent), m_preferences(preferences), m_database(database), m_calendar(std::move(calendar))
{
    m_isEnabled = m_preferences.boolValue(enabledKey);
    setChosenIDs(storedChosenIDs());
    setNewEventCalendarID(storedNewEventCalendarID());
    refreshAccess();
}

QString AppleCalendarSync::occurrenceKey(const QString &identifier, Instant start)
{
    return identifier + u'|' + QString::number(unixSecond(start));
}

AppleCalendarSync::Times AppleCalendarSync::importedTimes(const DeviceEvent &occurrence, const Calendar &calendar)
{
    if (!occurrence.isAllDay)
        return Times{occurrence.start, occurrence.end};
    const Instant start = calendar.startOfDay(occurrence.start);
    // The database may end a day one second before midnight, at midnight, or at the start itself.
    const Instant last = std::max(start, occurrence.end.addingSeconds(-1));
    const QDate dayAfter = calendar.dateOf(last).addDays(1);
    return Times{start, dayAfter.isValid() ? calendar.startOfDay(dayAfter) : occurrence.end};
}

Calendar AppleCalendarSync::calendar() const
{
    return m_calendar ? *m_calendar : Calendar::current();
}

// ---- published state

QVariantList AppleCalendarSync::calendarList() const
{
    QVariantList list;
    list.reserve(m_calendars.size());
    for (const CalendarInfo &info : m_calendars) {
        list.append(QVariantMap{{QStringLiteral("id"), info.id},
                                {QStringLiteral("title"), info.title},
                                {QStringLiteral("source"), info.source},
                                {QStringLiteral("canEdit"), info.canEdit}});
    }
    return list;
}

EventStore *AppleCalendarSync::store() const
{
    return m_store;
}

QStringList AppleCalendarSync::chosenIdList() const
{
    if (!m_chosenIDs)
        return {};
    QStringList ids(m_chosenIDs->cbegin(), m_chosenIDs->cend());
    ids.sort();
    return ids;
}

void AppleCalendarSync::setHasAccess(bool hasAccess)
{
    if (std::exchange(m_hasAccess, hasAccess) != hasAccess)
        emit hasAccessChanged();
}

void AppleCalendarSync::setDenied(bool denied)
{
    if (std::exchange(m_isDenied, denied) != denied)
        emit isDeniedChanged();
}

void AppleCalendarSync::setCalendars(const QList<CalendarInfo> &calendars)
{
    if (calendars == m_calendars)
        return;
    m_calendars = calendars;
    emit calendarsChanged();
}

void AppleCalendarSync::setSyncing(bool syncing)
{
    if (std::exchange(m_isSyncing, syncing) != syncing)
        emit isSyncingChanged();
}

void AppleCalendarSync::setLastError(const std::optional<QString> &message)
{
    if (message == m_lastError)
        return;
    m_lastError = message;
    emit lastErrorChanged();
}

// The persisted fields are written on every assignment and announced when they change.
void AppleCalendarSync::setEnabled(bool enabled)
{
    m_preferences.setBool(enabledKey, enabled);
    if (std::exchange(m_isEnabled, enabled) != enabled)
        emit isEnabledChanged();
}

void AppleCalendarSync::setChosenIDs(const std::optional<QSet<QString>> &ids)
{
    const bool changed = ids != m_chosenIDs;
    m_chosenIDs = ids;
    if (m_chosenIDs)
        m_preferences.setStringList(chosenKey, chosenIdList());
    else
        m_preferences.remove(chosenKey);
    if (changed)
        emit chosenIDsChanged();
}

void AppleCalendarSync::setNewEventCalendarID(const std::optional<QString> &calendarId)
{
    const bool changed = calendarId != m_newEventCalendarID;
    m_newEventCalendarID = calendarId;
    if (m_newEventCalendarID)
        m_preferences.setString(newEventKey, *m_newEventCalendarID);
    else
        m_preferences.remove(newEventKey);
    if (changed)
        emit newEventCalendarIDChanged();
}

// A stored value of another type reads as absent and is removed by the write-back; it is named on
// standard error first, so that the user's choice is not lost without a word.
std::optional<QSet<QString>> AppleCalendarSync::storedChosenIDs() const
{
    const auto ids = m_preferences.stringList(chosenKey);
    if (!ids) {
        if (m_preferences.contains(chosenKey))
            qWarning("Dayloom: the stored choice of calendars (%s = %s) is not a list of texts; the default "
                     "calendars are shown instead.",
                     qUtf8Printable(chosenKey), qUtf8Printable(m_preferences.object(chosenKey).toString()));
        return std::nullopt;
    }
    return QSet<QString>(ids->cbegin(), ids->cend());
}

std::optional<QString> AppleCalendarSync::storedNewEventCalendarID() const
{
    const auto id = m_preferences.string(newEventKey);
    if (!id && m_preferences.contains(newEventKey))
        qWarning("Dayloom: the stored calendar for new events (%s = %s) is not a text; new events stay local.",
                 qUtf8Printable(newEventKey), qUtf8Printable(m_preferences.object(newEventKey).toString()));
    return id;
}

// ---- access and calendar choice

void AppleCalendarSync::refreshAccess()
{
    const CalendarAuthorization status = m_database.authorizationStatus();
    setHasAccess(status == CalendarAuthorization::FullAccess);
    setDenied(status == CalendarAuthorization::Restricted || status == CalendarAuthorization::Denied
              || status == CalendarAuthorization::WriteOnly);
    // The list stays as it was when access is lost.
    if (m_hasAccess)
        loadCalendars();
}

void AppleCalendarSync::loadCalendars()
{
    QList<CalendarInfo> infos;
    for (const DeviceCalendar &calendar : m_database.calendars()) {
        if (calendar.type != CalendarType::Birthday)
            infos.append(CalendarInfo{calendar.identifier, calendar.title, calendar.sourceTitle, calendar.isWritable});
    }
    std::stable_sort(infos.begin(), infos.end(), [](const CalendarInfo &a, const CalendarInfo &b) {
        if (a.source != b.source)
            return scalarLess(a.source, b.source);
        return scalarLess(a.title, b.title);
    });
    setCalendars(infos);
}

QSet<QString> AppleCalendarSync::defaultCalendarIDs()
{
    const QList<DeviceCalendar> all = m_database.calendars();
    QSet<QString> preferred;
    for (const DeviceCalendar &calendar : all) {
        if (calendar.sourceType == CalendarSourceType::Local || calendar.sourceTitle == u"iCloud")
            preferred.insert(calendar.identifier);
    }
    if (!preferred.isEmpty())
        return preferred;
    QSet<QString> rest;
    for (const DeviceCalendar &calendar : all) {
        if (calendar.type != CalendarType::Birthday && calendar.type != CalendarType::Subscription)
            rest.insert(calendar.identifier);
    }
    return rest;
}

bool AppleCalendarSync::isCalendarShown(const QString &calendarId)
{
    return shownIDs().contains(calendarId);
}

void AppleCalendarSync::setCalendar(const QString &calendarId, bool shown)
{
    QSet<QString> ids = shownIDs();
    if (shown)
        ids.insert(calendarId);
    else
        ids.remove(calendarId);
    setChosenIDs(ids);
    if (!shown && m_newEventCalendarID == calendarId)
        setNewEventCalendarID(std::nullopt);
    refreshLater();
}

void AppleCalendarSync::setNewEventCalendar(const std::optional<QString> &calendarId)
{
    setNewEventCalendarID(calendarId);
    if (!calendarId || isCalendarShown(*calendarId))
        return;
    // A calendar that receives new events is always shown.
    QSet<QString> ids = shownIDs();
    ids.insert(*calendarId);
    setChosenIDs(ids);
    refreshLater();
}

void AppleCalendarSync::chooseNewEventCalendar(const QString &calendarId)
{
    setNewEventCalendar(noneWhenEmpty(calendarId));
}

// ---- turning on and off

QCoro::Task<> AppleCalendarSync::turnOn()
{
    const QPointer<AppleCalendarSync> self(this);
    setLastError(std::nullopt);
    m_preferences.setBool(userOffKey, false);
    const CalendarDatabase::AccessAnswer answer = co_await m_database.requestFullAccess();
    if (!self)
        co_return;
    refreshAccess();
    if (const auto *failure = std::get_if<CalendarDatabaseError>(&answer)) {
        setEnabled(false);
        setLastError(failure->description);
        co_return;
    }
    const bool granted = std::get<bool>(answer);
    setEnabled(granted);
    if (granted)
        co_await refresh();
}

void AppleCalendarSync::turnOnLater()
{
    [](QPointer<AppleCalendarSync> self) -> QCoro::Task<> {
        if (self)
            co_await self->turnOn();
    }(this);
}

void AppleCalendarSync::turnOff()
{
    m_preferences.setBool(userOffKey, true);
    setEnabled(false);
    removeImportedEvents(true);
}

void AppleCalendarSync::forgetCalendarChoices()
{
    setChosenIDs(std::nullopt);
    setNewEventCalendarID(std::nullopt);
}

QCoro::Task<> AppleCalendarSync::start()
{
    refreshAccess();
    if (m_preferences.boolValue(userOffKey) || m_isDenied)
        co_return;
    if (m_isEnabled && m_hasAccess) {
        co_await refresh();
        co_return;
    }
    co_await turnOn(); // asks the user when nobody has answered yet
}

void AppleCalendarSync::attach(EventStore &store)
{
    m_store = &store;
    const QPointer<AppleCalendarSync> self(this);
    store.setAppleWriter([self](const CalendarEvent &event) -> std::optional<QString> {
        return self ? self->writeEvent(event) : std::nullopt;
    });
    store.setAppleCreator([self](const CalendarEvent &event) -> std::optional<QString> {
        return self ? self->createEvent(event) : std::nullopt;
    });
    store.setAppleDeleter([self](const QString &key) { return self && self->deleteEvent(key); });
    if (!m_observer)
        m_observer = connect(&m_database, &CalendarDatabase::changed, this, &AppleCalendarSync::refreshLater);
}

// ---- import

void AppleCalendarSync::refreshLater()
{
    [](QPointer<AppleCalendarSync> self) -> QCoro::Task<> {
        if (self)
            co_await self->refresh();
    }(this);
}

QCoro::Task<> AppleCalendarSync::refresh()
{
    refreshAccess();
    if (!m_store)
        co_return;
    if (!m_isEnabled || !m_hasAccess) {
        removeImportedEvents(false);
        co_return;
    }
    if (m_isSyncing)
        co_return;
    setSyncing(true);
    // One turn of the event loop before reading: the window shows the pass, and change
    // notifications arriving meanwhile are covered by it instead of starting passes of their own.
    const QPointer<AppleCalendarSync> self(this);
    co_await QCoro::sleepFor(std::chrono::milliseconds(0));
    if (!self)
        co_return;
    if (m_store && m_isEnabled && m_hasAccess)
        importWindow();
    setSyncing(false);
}

void AppleCalendarSync::importWindow()
{
    m_database.refreshSourcesIfNecessary();
    const Calendar calendar = this->calendar();
    const Instant now = Clock::shared().now();
    const Instant windowStart = calendar.addDays(now, -30);
    const Instant windowEnd = calendar.addDays(now, 365);

    const QSet<QString> ids = shownIDs();
    QStringList calendarIds;
    for (const DeviceCalendar &deviceCalendar : m_database.calendars()) {
        if (ids.contains(deviceCalendar.identifier))
            calendarIds.append(deviceCalendar.identifier);
    }
    const QList<DeviceEvent> items =
            calendarIds.isEmpty() ? QList<DeviceEvent>() : m_database.events(windowStart, windowEnd, calendarIds);

    // Imported events wholly outside the window stay until the window reaches them.
    QList<CalendarEvent> list = m_store->events();
    ImportMerge(list, calendar, DateInterval{windowStart, windowEnd}).run(items);
    if (list != m_store->events())
        m_store->setEvents(std::move(list));
}

void AppleCalendarSync::removeImportedEvents(bool alwaysAssign)
{
    if (!m_store)
        return;
    QList<CalendarEvent> list = m_store->events();
    const auto imported = [](const CalendarEvent &event) { return event.appleEventId.has_value(); };
    if (!alwaysAssign && std::none_of(list.cbegin(), list.cend(), imported))
        return;
    list.removeIf(imported);
    m_store->setEvents(std::move(list));
}

// ---- write-back

std::optional<DeviceEvent> AppleCalendarSync::findEvent(const QString &key)
{
    const QStringList pieces = key.split(u'|', Qt::SkipEmptyParts);
    if (pieces.isEmpty())
        return std::nullopt;
    const QString &identifier = pieces[0];
    if (const auto t = pieces.size() > 1 ? keySecond(pieces[1]) : std::nullopt) {
        const Instant at = Instant::fromSeconds(*t - kReferenceDateUnixSeconds);
        const qint64 second = qint64(std::trunc(*t));
        for (const DeviceEvent &event : m_database.events(at.addingSeconds(-kDaySeconds), at.addingSeconds(kDaySeconds))) {
            const qint64 start = isFinite(event.start) ? unixSecond(event.start) : -1;
            if (event.identifier == identifier && start == second)
                return event;
        }
    }
    return m_database.event(identifier);
}

bool AppleCalendarSync::isWritableCalendar(const QString &calendarId)
{
    const auto calendar = calendarId.isEmpty() ? std::nullopt : m_database.calendar(calendarId);
    return calendar && calendar->isWritable;
}

namespace {

// The database keeps an all-day event's end one second before the midnight that ends it.
void setTimes(DeviceEvent &target, const CalendarEvent &event)
{
    target.isAllDay = event.isAllDay;
    target.start = event.startTime;
    target.end = event.isAllDay ? event.endTime.addingSeconds(-1) : event.endTime;
}

std::optional<QString> keyOf(const DeviceEvent &event)
{
    if (event.identifier.isEmpty() || !isFinite(event.start))
        return std::nullopt;
    return AppleCalendarSync::occurrenceKey(event.identifier, event.start);
}

}

// Saves one occurrence; the outcome becomes the message the user sees.
std::optional<DeviceEvent> AppleCalendarSync::save(const DeviceEvent &event)
{
    CalendarDatabase::SaveResult saved = m_database.saveEvent(event);
    if (const auto *failure = std::get_if<CalendarDatabaseError>(&saved)) {
        setLastError(saveFailedPrefix + failure->description);
        return std::nullopt;
    }
    setLastError(std::nullopt);
    return std::get<DeviceEvent>(std::move(saved));
}

std::optional<QString> AppleCalendarSync::writeEvent(const CalendarEvent &event)
{
    const auto found = m_hasAccess && event.appleEventId ? findEvent(*event.appleEventId) : std::nullopt;
    if (!found) {
        setLastError(notFoundMessage);
        return std::nullopt;
    }
    if (!isWritableCalendar(found->calendarIdentifier)) {
        setLastError(readOnlyChangeMessage);
        return std::nullopt;
    }
    DeviceEvent changed = *found; // keeps which occurrence it is
    changed.title = event.title;
    changed.notes = event.notes;
    changed.location = noneWhenEmpty(event.location);
    setTimes(changed, event);
    const auto saved = save(changed);
    if (!saved)
        return std::nullopt;
    return keyOf(*saved).value_or(*event.appleEventId);
}

std::optional<QString> AppleCalendarSync::createEvent(const CalendarEvent &event)
{
    if (!m_isEnabled || !m_hasAccess || !m_newEventCalendarID || !isWritableCalendar(*m_newEventCalendarID))
        return std::nullopt;
    DeviceEvent fresh;
    fresh.calendarIdentifier = *m_newEventCalendarID;
    fresh.title = event.title;
    fresh.notes = noneWhenEmpty(event.notes);
    fresh.location = noneWhenEmpty(event.location);
    setTimes(fresh, event);
    const auto saved = save(fresh);
    return saved ? keyOf(*saved) : std::nullopt;
}

bool AppleCalendarSync::deleteEvent(const QString &key)
{
    if (!m_hasAccess)
        return false;
    const auto found = findEvent(key);
    if (!found)
        return true; // already gone
    if (!isWritableCalendar(found->calendarIdentifier)) {
        setLastError(readOnlyDeletionMessage);
        return false;
    }
    if (const auto failure = m_database.removeEvent(*found)) {
        setLastError(deleteFailedPrefix + failure->description);
        return false;
    }
    setLastError(std::nullopt);
    return true;
}
