// What Save does: normalise the times, build the record and hand it to the store.
#include "eventeditor.h"

#include "editorrules.h"
#include "notificationcenter.h"
#include "notificationscheduler.h"
#include "uuid.h"

namespace {

constexpr double kHourSeconds = 3600;

// Asks for permission to remind, whatever the answer, then rebuilds the reminders from the events
// stored by then. It outlives the editor, so it holds only what it needs, and weakly.
QCoro::Task<> askPermissionThenReschedule(QPointer<NotificationCenter> center, QPointer<EventStore> store,
                                          EventStore::RemindersRescheduler reschedule)
{
    if (center) {
        try {
            co_await center->requestAuthorization();
        } catch (...) {
            // A refused or failed request changes nothing: the scheduler runs anyway.
        }
    }
    if (store && reschedule)
        reschedule(store->events());
}

}

void EventEditor::setRemindersRescheduler(EventStore::RemindersRescheduler rescheduler)
{
    m_reschedule = std::move(rescheduler);
}

void EventEditor::save()
{
    if (!canSave() || !m_store)
        return;
    const auto [start, end] = normalizedTimes();
    if (!m_existingEvent) {
        const CalendarEvent event = newEvent(start, end);
        if (m_form.repeatRule == RepeatRule::never)
            m_store->add(event);
        else
            m_store->addSeries(event, m_form.repeatRule, m_form.repeatWeekdays, m_form.repeatUntil);
    } else {
        const CalendarEvent event = editedEvent(start, end);
        if (m_form.applyToSeries && event.seriesId)
            m_store->updateSeries(event);
        else
            m_store->update(event);
    }
    if (!m_form.reminders.isEmpty())
        rescheduleRemindersWithPermission();
    emit finished();
}

std::pair<Instant, Instant> EventEditor::normalizedTimes() const
{
    Instant start = m_form.startTime;
    Instant end = m_form.endTime;
    if (m_form.isAllDay) {
        // Stored all-day events end at the start of the day after their last day.
        start = m_calendar.startOfDay(start);
        end = m_calendar.addDays(m_calendar.startOfDay(m_form.endTime), 1);
    } else if (end <= start) {
        end = start.addingSeconds(kHourSeconds);
    }
    return {start, end};
}

CalendarEvent EventEditor::newEvent(Instant start, Instant end) const
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.isDirty = true;
    applyFormValues(event, start, end);
    return event;
}

CalendarEvent EventEditor::editedEvent(Instant start, Instant end) const
{
    // Identity, links and dirtiness stay as the store holds them now.
    CalendarEvent event = currentExistingEvent();
    applyFormValues(event, start, end);
    return event;
}

void EventEditor::applyFormValues(CalendarEvent &event, Instant start, Instant end) const
{
    event.title = m_form.title; // as typed: leading spaces are the user's
    event.date = m_calendar.startOfDay(start);
    event.startTime = start;
    event.endTime = end;
    event.isAllDay = m_form.isAllDay;
    event.notes = m_form.notes;
    event.colorName = m_form.colorName;
    event.attachment = EditorRules::attachmentFor(m_form.attachmentURL, m_form.attachmentName);
    event.category = m_form.category;
    event.location = EditorRules::trimmedSpacesAndTabs(m_form.location);
    event.instructor = EditorRules::trimmedSpacesAndTabs(m_form.instructor);
    event.reminderMinutes = reminders();
}

void EventEditor::rescheduleRemindersWithPermission() const
{
    NotificationCenter *center = m_notificationCenter ? m_notificationCenter.data() : &NotificationCenter::shared();
    EventStore::RemindersRescheduler reschedule = m_reschedule;
    if (!reschedule)
        reschedule = [](const QList<CalendarEvent> &events) { NotificationScheduler::shared().reschedule(events); };
    // Started here and left running: the editor closes without waiting for the answer.
    [[maybe_unused]] auto running = askPermissionThenReschedule(center, m_store, std::move(reschedule));
}
