// The series operations of EventStore: a repeating event is stored as one ordinary event per
// occurrence, tied together only by a shared seriesId.
#include "eventstore.h"

#include "uuid.h"

QList<int> EventStore::occurrenceOffsets(Instant firstStart, RepeatRule rule, const QSet<int> &weekdays,
                                         Instant lastDay) const
{
    return ::occurrenceOffsets(m_calendar, firstStart, rule, weekdays, lastDay);
}

void EventStore::addSeries(const CalendarEvent &templateEvent, RepeatRule rule, const QSet<int> &weekdays,
                           Instant lastDay)
{
    const QString seriesId = Uuid::create();
    QList<CalendarEvent> events = m_events;
    for (const int offset : occurrenceOffsets(templateEvent.startTime, rule, weekdays, lastDay)) {
        CalendarEvent member = templateEvent;
        member.id = Uuid::create();
        member.seriesId = seriesId;
        member.isDirty = true;
        member.googleEventId.reset();
        member.googleUpdated.reset();
        member.startTime = m_calendar.addDays(templateEvent.startTime, offset);
        member.endTime = m_calendar.addDays(templateEvent.endTime, offset);
        member.date = m_calendar.startOfDay(member.startTime);
        if (m_appleCreator) {
            if (const auto appleId = m_appleCreator(member)) {
                member.appleEventId = appleId;
                member.isDirty = false;
            }
        }
        events.append(std::move(member));
    }
    setEvents(std::move(events));
    requestSync();
}

void EventStore::updateSeries(const CalendarEvent &edited)
{
    if (!edited.seriesId) {
        update(edited);
        return;
    }
    const QTime timeOfDay(m_calendar.hour(edited.startTime), m_calendar.minute(edited.startTime));
    const double duration = edited.startTime.secondsTo(edited.endTime);
    const int daySpan = std::max(1, m_calendar.wholeDaysBetween(m_calendar.startOfDay(edited.startTime), edited.endTime));

    QList<CalendarEvent> events = m_events;
    for (CalendarEvent &member : events) {
        if (member.seriesId != edited.seriesId)
            continue;
        member.title = edited.title;
        member.notes = edited.notes;
        member.colorName = edited.colorName;
        member.location = edited.location;
        member.instructor = edited.instructor;
        member.category = edited.category;
        member.reminderMinutes = edited.reminderMinutes;
        member.attachment = edited.attachment;
        member.isAllDay = edited.isAllDay;
        // Every member keeps its own day; only the time of day and the length change.
        const Instant day = m_calendar.startOfDay(member.startTime);
        if (member.isAllDay) {
            member.startTime = day;
            member.endTime = m_calendar.addDays(day, daySpan);
        } else {
            member.startTime = m_calendar.instantAt(m_calendar.dateOf(day), timeOfDay);
            member.endTime = member.startTime.addingSeconds(duration);
        }
        member.date = day;
        member.isDirty = true;
        if (member.appleEventId && m_appleWriter) {
            if (const auto appleId = m_appleWriter(member)) {
                member.appleEventId = appleId;
                member.isDirty = false;
            }
        }
    }
    setEvents(std::move(events));
    requestSync();
}

void EventStore::removeSeries(const CalendarEvent &event)
{
    if (!event.seriesId) {
        remove(event);
        return;
    }
    const std::optional<QString> seriesId = event.seriesId;
    QStringList removedGoogleIds;
    QList<CalendarEvent> kept;
    for (const CalendarEvent &member : std::as_const(m_events)) {
        const bool inSeries = member.seriesId == seriesId;
        // A member the local calendar database refuses to delete stays in the store.
        const bool removable = inSeries
                && (!member.appleEventId || (m_appleDeleter && m_appleDeleter(*member.appleEventId)));
        if (!removable) {
            kept.append(member);
            continue;
        }
        if (member.googleEventId)
            removedGoogleIds.append(*member.googleEventId);
    }
    setEvents(std::move(kept));
    if (!removedGoogleIds.isEmpty()) {
        setPendingDeletes(m_pendingDeletes + removedGoogleIds);
        requestSync();
    }
}

int EventStore::seriesCount(const CalendarEvent &event) const
{
    if (!event.seriesId)
        return 1;
    return int(std::count_if(m_events.cbegin(), m_events.cend(),
                             [&](const CalendarEvent &stored) { return stored.seriesId == event.seriesId; }));
}
