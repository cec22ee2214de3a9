#include "googlesync.h"

#include "palette.h"
#include "preferences.h"
#include "uuid.h"

#include <QSet>

namespace {

constexpr double kSecondsPerDay = 86400.0;
const QString kNoTitle = QStringLiteral("(No title)");

bool isGone(const GoogleAPIClient::Error &error)
{
    const auto status = GoogleAPIClient::failedStatus(error);
    return status == 404 || status == 410;
}

qsizetype indexOfId(const QList<CalendarEvent> &events, const QString &id)
{
    for (qsizetype i = 0; i < events.size(); ++i) {
        if (events[i].id == id)
            return i;
    }
    return -1;
}

// Copies Google's texts and times onto an event; colour, category, teacher, reminders, link,
// series and local calendar link stay as they are.
void applyGoogleFields(CalendarEvent &event, const GoogleCalendarAPI::GoogleEvent &google,
                       const GoogleCalendarAPI::EventTimes &times, const Calendar &calendar)
{
    event.title = google.summary.value_or(kNoTitle);
    event.notes = google.description.value_or(QString());
    event.location = google.location.value_or(QString());
    event.startTime = times.start;
    event.endTime = times.end;
    event.isAllDay = times.isAllDay;
    event.date = calendar.startOfDay(times.start);
    event.googleUpdated = google.updated;
}

CalendarEvent newEventFromGoogle(const GoogleCalendarAPI::GoogleEvent &google,
                                 const GoogleCalendarAPI::EventTimes &times, const Calendar &calendar)
{
    CalendarEvent event;
    event.id = Uuid::create();
    applyGoogleFields(event, google, times, calendar);
    event.colorName = defaultColourName();
    event.googleEventId = google.id;
    event.isDirty = false;
    return event;
}

}

QList<CalendarEvent> mergeGoogleEvents(QList<CalendarEvent> events, const GoogleCalendarAPI::FetchResult &listing,
                                       const QStringList &pendingDeletes, const Calendar &calendar)
{
    QSet<QString> fetchedIds;
    for (const auto &google : listing.events)
        fetchedIds.insert(google.id);

    for (const auto &google : listing.events) {
        if (google.isCancelled()) {
            events.removeIf([&](const CalendarEvent &e) { return e.googleEventId == google.id && !e.isDirty; });
            continue;
        }
        const auto times = GoogleCalendarAPI::eventTimes(google, calendar);
        if (!times)
            continue;
        const auto local = std::find_if(events.begin(), events.end(),
                                        [&](const CalendarEvent &e) { return e.googleEventId == google.id; });
        if (local != events.end()) {
            // Local changes win until they are pushed; an unchanged "updated" means nothing to do.
            if (!local->isDirty && local->googleUpdated != google.updated)
                applyGoogleFields(*local, google, *times, calendar);
        } else if (!pendingDeletes.contains(google.id)) {
            events.append(newEventFromGoogle(google, *times, calendar));
        }
    }

    // Events missing from the listing were deleted at Google. Only a complete listing says so,
    // and only for events a day or more inside the window, away from its edges.
    if (listing.isComplete) {
        const Instant innerStart = listing.windowStart.addingSeconds(kSecondsPerDay);
        const Instant innerEnd = listing.windowEnd.addingSeconds(-kSecondsPerDay);
        events.removeIf([&](const CalendarEvent &e) {
            return e.googleEventId && !e.isDirty && e.startTime >= innerStart && e.endTime <= innerEnd
                    && !fetchedIds.contains(*e.googleEventId);
        });
    }
    return events;
}

GoogleSync::GoogleSync(GoogleCalendarAPI &api, GoogleSignInClient &signIn) : m_api(api), m_signIn(signIn) {}

QCoro::Task<> GoogleSync::sync(EventStore &storeRef)
{
    if (!isSignedIn())
        co_return;
    if (storeRef.isSyncing()) {
        storeRef.needsResync = true; // the running run makes one more pass
        co_return;
    }
    QPointer<EventStore> store(&storeRef);
    store->setSyncing(true);
    store->needsResync = false;
    do {
        co_await runPass(store);
        if (!store)
            co_return;
    } while (std::exchange(store->needsResync, false) && isSignedIn());
    store->setSyncing(false);
}

QCoro::Task<> GoogleSync::runPass(QPointer<EventStore> store)
{
    if (!isSignedIn())
        co_return;
    m_passError.reset();
    checkAccount(*store);
    co_await sendPendingDeletes(store);
    if (store)
        co_await pushLocalChanges(store);
    if (store)
        co_await pullAndMerge(store);
    if (!store)
        co_return;
    if (m_passError)
        store->setLastSyncError(GoogleAPIClient::syncErrorMessage(*m_passError));
    else
        store->setLastSyncError(std::nullopt);
}

// The store holds one Google account's events. When another account signs in, the old account's
// events leave the store (never deleted at Google) before anything is pushed.
void GoogleSync::checkAccount(EventStore &store)
{
    const auto user = m_signIn.currentUser();
    if (!user || user->email().isEmpty())
        return;
    const QString account = user->email().toLower();
    const auto synced = store.preferences().string(EventStore::syncedAccountKey);
    if (synced && *synced != account) {
        QList<CalendarEvent> kept = store.events();
        kept.removeIf([](const CalendarEvent &e) { return e.googleEventId.has_value(); });
        store.setEvents(std::move(kept));
        store.setPendingDeletes({});
    }
    store.preferences().setString(EventStore::syncedAccountKey, account);
}

QCoro::Task<> GoogleSync::sendPendingDeletes(QPointer<EventStore> store)
{
    const QStringList queued = store->pendingDeletes();
    for (const QString &googleId : queued) {
        const auto result = co_await m_api.deleteEvent(googleId);
        if (!store)
            co_return;
        if (result.ok() || isGone(result.error())) {
            QStringList remaining = store->pendingDeletes();
            remaining.removeAll(googleId);
            store->setPendingDeletes(remaining);
        } else {
            recordError(result.error());
        }
    }
}

QCoro::Task<> GoogleSync::pushLocalChanges(QPointer<EventStore> store)
{
    QList<CalendarEvent> dirty;
    for (const CalendarEvent &event : store->events()) {
        if (event.isDirty && !event.appleEventId)
            dirty.append(event);
    }
    for (const CalendarEvent &copy : std::as_const(dirty)) {
        co_await pushOne(store, copy);
        if (!store)
            co_return;
    }
}

QCoro::Task<> GoogleSync::pushOne(QPointer<EventStore> store, CalendarEvent copy)
{
    const auto body = GoogleCalendarAPI::makeWriteBody(copy, store->calendar());
    if (copy.googleEventId) {
        const auto result = co_await m_api.patchEvent(*copy.googleEventId, body);
        if (!store)
            co_return;
        if (result.ok()) {
            markSynced(*store, copy, *copy.googleEventId, result.value().updated);
        } else if (isGone(result.error())) {
            // Gone at Google: the next pass inserts it as a new event.
            const qsizetype index = indexOfId(store->events(), copy.id);
            if (index >= 0) {
                CalendarEvent unlinked = store->events()[index];
                unlinked.googleEventId.reset();
                unlinked.googleUpdated.reset();
                store->setEventAt(index, unlinked);
            }
            store->needsResync = true;
        } else {
            recordError(result.error());
        }
        co_return;
    }

    const auto result = co_await m_api.insertEvent(body);
    if (!store)
        co_return;
    if (!result.ok()) {
        recordError(result.error());
        co_return;
    }
    const auto &created = result.value();
    if (indexOfId(store->events(), copy.id) < 0) {
        // Deleted here while it was being created there: delete it at Google too.
        store->setPendingDeletes(store->pendingDeletes() + QStringList{created.id});
        store->needsResync = true;
        co_return;
    }
    markSynced(*store, copy, created.id, created.updated);
}

void GoogleSync::markSynced(EventStore &store, const CalendarEvent &pushed, const QString &googleId,
                            const std::optional<QString> &updated)
{
    const qsizetype index = indexOfId(store.events(), pushed.id);
    if (index < 0)
        return;
    CalendarEvent stored = store.events()[index];
    const bool unchangedSincePush = stored == pushed;
    stored.googleEventId = googleId;
    if (unchangedSincePush) {
        stored.googleUpdated = updated;
        stored.isDirty = false;
    } else {
        store.needsResync = true; // edited while in flight: stays dirty, sent again next pass
    }
    store.setEventAt(index, stored);
}

QCoro::Task<> GoogleSync::pullAndMerge(QPointer<EventStore> store)
{
    // Kept in a local: GCC 12 miscompiles a conditional expression inside a co_await.
    const Calendar calendar = store->calendar();
    const auto listing = co_await m_api.fetchEvents(calendar);
    if (!store)
        co_return;
    if (!listing.ok()) {
        recordError(listing.error());
        co_return;
    }
    if (!isSignedIn())
        co_return;
    const QList<CalendarEvent> merged =
            mergeGoogleEvents(store->events(), listing.value(), store->pendingDeletes(), store->calendar());
    if (merged != store->events())
        store->setEvents(merged);
}

void GoogleSync::recordError(const Error &error)
{
    if (!m_passError)
        m_passError = error;
}
