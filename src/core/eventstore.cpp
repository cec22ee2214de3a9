#include "eventstore.h"
#include "recoverycopy.h"

#include "eventcodec.h"
#include "googlesignin.h"
#include "preferences.h"

#include <QDateTime>
#include <QDir>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

EventStore::EventStore(Preferences &preferences, QObject *parent, const QString &recoveryFolder)
    : QObject(parent),
      m_preferences(preferences),
      m_recoveryFolder(recoveryFolder.isEmpty() ? RecoveryCopy::defaultFolder() : recoveryFolder),
      m_calendar(Calendar::current())
{
    load();
    loadPendingDeletes();
}

void EventStore::load()
{
    const QVariant stored = m_preferences.object(key);
    if (!stored.isValid())
        return;
    const auto bytes = m_preferences.bytes(key);
    const auto decoded = bytes ? EventCodec::decode(*bytes) : std::nullopt;
    if (!decoded) {
        keepUnreadable(QStringLiteral("events"),
                       bytes ? *bytes : stored.toString().toUtf8());
        return;
    }
    setEvents(*decoded); // rewrites older records in the current form
}

void EventStore::loadPendingDeletes()
{
    const QVariant stored = m_preferences.object(pendingDeletesKey);
    if (!stored.isValid())
        return;
    if (const auto ids = m_preferences.stringList(pendingDeletesKey))
        m_pendingDeletes = *ids;
    else
        keepUnreadable(QStringLiteral("pendingDeletes"),
                       stored.metaType() == QMetaType::fromType<QByteArray>() ? stored.toByteArray()
                                                                              : stored.toString().toUtf8());
}

// The list starts without the unreadable data; the copy keeps it from the next save.
void EventStore::keepUnreadable(const QString &name, const QByteArray &bytes) const
{
    RecoveryCopy::keep(m_recoveryFolder, name, bytes);
}

void EventStore::save()
{
    if (const auto bytes = EventCodec::encode(m_events))
        m_preferences.setBytes(key, *bytes);
    else
        qWarning("Dayloom: the event list could not be encoded; it was not saved.");
    if (m_reschedule)
        m_reschedule(m_events);
}

void EventStore::changed()
{
    save();
    emit eventsChanged();
}

void EventStore::setEvents(QList<CalendarEvent> events)
{
    m_events = std::move(events);
    changed();
}

void EventStore::setEventAt(qsizetype index, const CalendarEvent &event)
{
    if (index < 0 || index >= m_events.size())
        return;
    m_events[index] = event;
    changed();
}

void EventStore::setPendingDeletes(const QStringList &ids)
{
    m_pendingDeletes = ids;
    m_preferences.setStringList(pendingDeletesKey, m_pendingDeletes);
}

void EventStore::setSyncing(bool syncing)
{
    if (syncing == m_isSyncing)
        return;
    m_isSyncing = syncing;
    emit isSyncingChanged();
}

void EventStore::setLastSyncError(const std::optional<QString> &message)
{
    if (message == m_lastSyncError)
        return;
    m_lastSyncError = message;
    emit lastSyncErrorChanged();
}

void EventStore::add(CalendarEvent event)
{
    const auto appleId = m_appleCreator ? m_appleCreator(event) : std::nullopt;
    if (appleId)
        event.appleEventId = appleId;
    event.isDirty = !appleId;
    m_events.append(std::move(event));
    changed();
    // An event created in the local calendar database is never pushed to Google.
    if (!appleId)
        requestSync();
}

void EventStore::update(CalendarEvent event)
{
    const bool inAppleCalendar = event.appleEventId.has_value();
    event.isDirty = true;
    if (inAppleCalendar && m_appleWriter) {
        if (const auto appleId = m_appleWriter(event)) {
            event.appleEventId = *appleId;
            event.isDirty = false;
        }
    }
    const auto it = std::find_if(m_events.cbegin(), m_events.cend(),
                                 [&](const CalendarEvent &stored) { return stored.id == event.id; });
    if (it != m_events.cend())
        setEventAt(it - m_events.cbegin(), event);
    if (!inAppleCalendar)
        requestSync();
}

void EventStore::remove(const CalendarEvent &event)
{
    if (event.appleEventId && (!m_appleDeleter || !m_appleDeleter(*event.appleEventId)))
        return;
    // The caller may pass an element of the list itself: keep what is needed before removing.
    const QString id = event.id;
    const std::optional<QString> googleEventId = event.googleEventId;
    m_events.removeIf([&](const CalendarEvent &stored) { return stored.id == id; });
    changed();
    if (googleEventId) {
        setPendingDeletes(m_pendingDeletes + QStringList{*googleEventId});
        requestSync();
    }
}

void EventStore::clearAll()
{
    setEvents({});
    setPendingDeletes({});
}

GoogleSignInClient &EventStore::signIn() const
{
    return m_signIn ? *m_signIn : GoogleSignInClient::shared();
}

void EventStore::requestSync()
{
    if (!signIn().hasSignedInUser())
        return;
    // A started task runs to its end on the main thread even though nobody awaits it.
    [](QPointer<EventStore> store) -> QCoro::Task<> {
        if (store)
            co_await store->sync();
    }(this);
}

QCoro::Task<> EventStore::sync()
{
    if (!m_synchroniser || !signIn().hasSignedInUser())
        co_return;
    co_await m_synchroniser->sync(*this);
}

QList<CalendarEvent> EventStore::eventsForDay(Instant day) const
{
    const DateInterval interval = m_calendar.dayInterval(day);
    QList<CalendarEvent> taken;
    for (const CalendarEvent &event : m_events) {
        const Instant effectiveEnd = event.endTime > event.startTime ? event.endTime : event.startTime.addingSeconds(1);
        if (event.startTime < interval.end && effectiveEnd > interval.start)
            taken.append(event);
    }
    std::stable_sort(taken.begin(), taken.end(), [](const CalendarEvent &a, const CalendarEvent &b) {
        if (a.isAllDay != b.isAllDay)
            return a.isAllDay;
        return a.startTime < b.startTime;
    });
    return taken;
}

QList<CalendarEvent> EventStore::visibleEventsForDay(Instant day) const
{
    const bool showGoogle = m_preferences.optionalBool(showGoogleEventsKey).value_or(true);
    const bool showApple = m_preferences.optionalBool(showAppleEventsKey).value_or(true);
    QList<CalendarEvent> visible = eventsForDay(day);
    visible.removeIf([&](const CalendarEvent &event) { return event.appleEventId ? !showApple : !showGoogle; });
    return visible;
}
