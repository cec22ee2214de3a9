#include "eventeditor.h"

#include "clock.h"
#include "editorrules.h"
#include "palette.h"
#include "reminderchoices.h"

#include <algorithm>

namespace {

constexpr double kHourSeconds = 3600;
constexpr int kDefaultRepeatDays = 98;

std::optional<Instant> instantOf(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return std::nullopt;
    return Instant::fromDateTime(dateTime);
}

QList<int> sorted(const QSet<int> &set)
{
    QList<int> list(set.cbegin(), set.cend());
    std::sort(list.begin(), list.end());
    return list;
}

// Qt numbers the weekdays from Monday 1 to Sunday 7; the editor from Sunday 1 to Saturday 7.
int qtDayOfWeek(int weekday)
{
    return weekday == 1 ? 7 : weekday - 1;
}

}

EventEditor::EventEditor(QObject *parent) : QObject(parent), m_calendar(Calendar::current())
{
    m_form = initialForm();
    m_endMinimum = endLowerBound();
}

EventEditor::~EventEditor() = default;

template<typename T>
bool EventEditor::assign(T &member, const T &value, void (EventEditor::*changed)())
{
    if (member == value)
        return false;
    member = value;
    emit(this->*changed)();
    return true;
}

const Clock &EventEditor::clock() const
{
    return m_clock ? *m_clock : Clock::shared();
}

void EventEditor::setStore(EventStore *store)
{
    if (m_store == store)
        return;
    disconnect(m_storeConnection);
    m_store = store;
    if (store)
        m_storeConnection = connect(store, &EventStore::eventsChanged, this, &EventEditor::updateSeriesCount);
    emit storeChanged();
    updateSeriesCount();
    updateOccurrences();
}

void EventEditor::setEventId(const QString &id)
{
    assign(m_eventId, id, &EventEditor::eventIdChanged);
}

QDateTime EventEditor::date() const
{
    return m_date ? dateTime(*m_date) : QDateTime();
}

void EventEditor::setDate(const QDateTime &date)
{
    assign(m_date, instantOf(date), &EventEditor::dateChanged);
}

QDateTime EventEditor::presetStart() const
{
    return m_presetStart ? dateTime(*m_presetStart) : QDateTime();
}

void EventEditor::setPresetStart(const QDateTime &start)
{
    assign(m_presetStart, instantOf(start), &EventEditor::presetStartChanged);
}

QString EventEditor::navigationTitle() const
{
    return isNew() ? QStringLiteral("New Event") : QStringLiteral("Edit Event");
}

// Filling ---------------------------------------------------------------------------------------

void EventEditor::fill()
{
    m_existingEvent = storedEvent(m_eventId);
    applyForm(m_existingEvent ? formForEvent(*m_existingEvent) : formForNewEvent());
    updateSeriesCount();
    emit filled();
}

EventEditor::Form EventEditor::initialForm() const
{
    const Instant now = clock().now();
    Form form;
    form.startTime = now;
    form.endTime = now.addingSeconds(kHourSeconds);
    form.colorName = defaultColourName();
    form.repeatUntil = now;
    return form;
}

EventEditor::Form EventEditor::formForEvent(const CalendarEvent &event) const
{
    Form form = initialForm();
    form.title = event.title;
    form.isAllDay = event.isAllDay;
    form.startTime = event.startTime;
    form.notes = event.notes;
    form.colorName = event.colorName;
    form.category = event.category;
    form.location = event.location;
    form.instructor = event.instructor;
    // An all-day event shows its last day; it is stored with the day after it as its end.
    form.endTime = event.isAllDay ? m_calendar.addDays(event.endTime, -1) : event.endTime;
    form.endTime = std::max(form.endTime, form.startTime);
    if (event.attachment) {
        form.attachmentURL = event.attachment->url;
        form.attachmentName = event.attachment->name;
    }
    form.reminders = QSet<int>(event.reminderMinutes.cbegin(), event.reminderMinutes.cend());
    return form;
}

EventEditor::Form EventEditor::formForNewEvent() const
{
    Form form = initialForm();
    const Instant now = clock().now();
    // The time of day now, not rounded, on the day the editor was opened for.
    const QTime timeNow(m_calendar.hour(now), m_calendar.minute(now));
    const Instant base = m_calendar.instantAt(m_calendar.dateOf(m_date.value_or(now)), timeNow);
    form.startTime = m_presetStart.value_or(base);
    form.endTime = form.startTime.addingSeconds(kHourSeconds);
    form.repeatWeekdays = {m_calendar.weekday(form.startTime)};
    form.repeatUntil = m_calendar.addDays(form.startTime, kDefaultRepeatDays);
    return form;
}

void EventEditor::applyForm(const Form &form)
{
    assign(m_form.title, form.title, &EventEditor::titleChanged);
    assign(m_form.isAllDay, form.isAllDay, &EventEditor::isAllDayChanged);
    assign(m_form.startTime, form.startTime, &EventEditor::startTimeChanged);
    assign(m_form.endTime, form.endTime, &EventEditor::endTimeChanged);
    assign(m_form.notes, form.notes, &EventEditor::notesChanged);
    assign(m_form.colorName, form.colorName, &EventEditor::colorNameChanged);
    assign(m_form.attachmentURL, form.attachmentURL, &EventEditor::attachmentURLChanged);
    assign(m_form.attachmentName, form.attachmentName, &EventEditor::attachmentNameChanged);
    assign(m_form.category, form.category, &EventEditor::categoryChanged);
    assign(m_form.location, form.location, &EventEditor::locationChanged);
    assign(m_form.instructor, form.instructor, &EventEditor::instructorChanged);
    assign(m_form.repeatRule, form.repeatRule, &EventEditor::repeatRuleChanged);
    assign(m_form.repeatWeekdays, form.repeatWeekdays, &EventEditor::repeatWeekdaysChanged);
    assign(m_form.repeatUntil, form.repeatUntil, &EventEditor::repeatUntilChanged);
    assign(m_form.applyToSeries, form.applyToSeries, &EventEditor::applyToSeriesChanged);
    assign(m_form.showDeleteChoice, form.showDeleteChoice, &EventEditor::showDeleteChoiceChanged);
    assign(m_form.reminders, form.reminders, &EventEditor::remindersChanged);
    updateCanSave();
    updateEndMinimum();
    updateOccurrences();
}

std::optional<CalendarEvent> EventEditor::storedEvent(const QString &id) const
{
    if (!m_store || id.isEmpty())
        return std::nullopt;
    const QList<CalendarEvent> &events = m_store->events();
    const auto it = std::find_if(events.cbegin(), events.cend(),
                                 [&](const CalendarEvent &event) { return event.id == id; });
    if (it == events.cend())
        return std::nullopt;
    return *it;
}

CalendarEvent EventEditor::currentExistingEvent() const
{
    Q_ASSERT(m_existingEvent);
    return storedEvent(m_existingEvent->id).value_or(*m_existingEvent);
}

// The "Event" section ---------------------------------------------------------------------------

void EventEditor::setTitle(const QString &title)
{
    if (assign(m_form.title, title, &EventEditor::titleChanged))
        updateCanSave();
}

void EventEditor::setIsAllDay(bool isAllDay)
{
    if (!assign(m_form.isAllDay, isAllDay, &EventEditor::isAllDayChanged))
        return;
    const Instant start = m_form.startTime;
    if (isAllDay && m_form.endTime < start)
        assign(m_form.endTime, start, &EventEditor::endTimeChanged);
    else if (!isAllDay && m_form.endTime <= start)
        assign(m_form.endTime, start.addingSeconds(kHourSeconds), &EventEditor::endTimeChanged);
    updateEndMinimum();
}

void EventEditor::setStartTime(const QDateTime &start)
{
    if (const auto instant = instantOf(start))
        setStartInstant(*instant);
}

void EventEditor::setStartInstant(Instant start)
{
    if (!assign(m_form.startTime, start, &EventEditor::startTimeChanged))
        return;
    // A single chosen weekday follows the start; a choice of two or more stays.
    if (m_form.repeatWeekdays.size() < 2)
        assign(m_form.repeatWeekdays, QSet<int>{m_calendar.weekday(start)}, &EventEditor::repeatWeekdaysChanged);
    if (m_form.endTime < start) {
        const Instant end = m_form.isAllDay ? start : start.addingSeconds(kHourSeconds);
        assign(m_form.endTime, end, &EventEditor::endTimeChanged);
    }
    updateEndMinimum();
    updateOccurrences();
}

void EventEditor::setEndTime(const QDateTime &end)
{
    if (const auto instant = instantOf(end))
        setEndInstant(*instant);
}

void EventEditor::setEndInstant(Instant end)
{
    assign(m_form.endTime, std::max(end, endLowerBound()), &EventEditor::endTimeChanged);
}

Instant EventEditor::endLowerBound() const
{
    return m_form.isAllDay ? m_calendar.startOfDay(m_form.startTime) : m_form.startTime;
}

void EventEditor::updateEndMinimum()
{
    assign(m_endMinimum, endLowerBound(), &EventEditor::endMinimumChanged);
}

// "Type", "Color", "Notes" and "Attachment" ----------------------------------------------------

void EventEditor::setNotes(const QString &notes)
{
    assign(m_form.notes, notes, &EventEditor::notesChanged);
}

void EventEditor::setColorName(const QString &name)
{
    assign(m_form.colorName, name, &EventEditor::colorNameChanged);
}

void EventEditor::stepColor(int delta)
{
    const QList<PaletteColour> &colours = palette();
    const auto current = std::find_if(colours.cbegin(), colours.cend(),
                                      [&](const PaletteColour &entry) { return entry.name == m_form.colorName; });
    qsizetype index = 0;
    if (current != colours.cend())
        index = std::clamp<qsizetype>(current - colours.cbegin() + delta, 0, colours.size() - 1);
    else if (delta < 0)
        index = colours.size() - 1;
    setColorName(colours.at(index).name);
}

void EventEditor::setAttachmentURL(const QString &url)
{
    if (assign(m_form.attachmentURL, url, &EventEditor::attachmentURLChanged))
        updateCanSave();
}

void EventEditor::setAttachmentName(const QString &name)
{
    assign(m_form.attachmentName, name, &EventEditor::attachmentNameChanged);
}

bool EventEditor::isLinkValid() const
{
    return EditorRules::isLinkValid(m_form.attachmentURL);
}

bool EventEditor::canSave() const
{
    return !EditorRules::trimmedSpacesAndTabs(m_form.title).isEmpty() && isLinkValid();
}

void EventEditor::updateCanSave()
{
    assign(m_canSave, canSave(), &EventEditor::canSaveChanged);
}

void EventEditor::setCategory(const QString &category)
{
    assign(m_form.category, category, &EventEditor::categoryChanged);
}

void EventEditor::setCategoryIndex(int index)
{
    if (index >= 0 && index < kCategoryOptions.size())
        setCategory(kCategoryOptions.at(index));
}

bool EventEditor::isSchoolCategory() const
{
    return m_form.category == u"Class" || m_form.category == u"Exam";
}

QString EventEditor::locationLabel() const
{
    return isSchoolCategory() ? QStringLiteral("Room / building") : QStringLiteral("Location");
}

void EventEditor::setLocation(const QString &location)
{
    assign(m_form.location, location, &EventEditor::locationChanged);
}

void EventEditor::setInstructor(const QString &instructor)
{
    assign(m_form.instructor, instructor, &EventEditor::instructorChanged);
}

// "Repeat" and "Repeating event" ----------------------------------------------------------------

QStringList EventEditor::repeatRuleLabels() const
{
    QStringList labels;
    for (const RepeatRule rule : kAllRepeatRules)
        labels.append(repeatRuleLabel(rule));
    return labels;
}

void EventEditor::setRepeatRule(RepeatRule rule)
{
    if (assign(m_form.repeatRule, rule, &EventEditor::repeatRuleChanged))
        updateOccurrences();
}

int EventEditor::repeatRuleIndex() const
{
    return int(std::find(kAllRepeatRules.cbegin(), kAllRepeatRules.cend(), m_form.repeatRule)
               - kAllRepeatRules.cbegin());
}

void EventEditor::setRepeatRuleIndex(int index)
{
    if (index >= 0 && index < int(kAllRepeatRules.size()))
        setRepeatRule(kAllRepeatRules.at(index));
}

bool EventEditor::showsWeekdays() const
{
    return m_form.repeatRule == RepeatRule::weekly || m_form.repeatRule == RepeatRule::biweekly;
}

QList<int> EventEditor::repeatWeekdays() const
{
    return sorted(m_form.repeatWeekdays);
}

QVariantList EventEditor::weekdayChips() const
{
    QVariantList chips;
    for (int weekday = 1; weekday <= 7; ++weekday) {
        chips.append(QVariantMap{
                {QStringLiteral("number"), weekday},
                {QStringLiteral("symbol"), m_calendar.locale().dayName(qtDayOfWeek(weekday), QLocale::NarrowFormat)},
        });
    }
    return chips;
}

void EventEditor::toggleWeekday(int weekday)
{
    if (weekday < 1 || weekday > 7)
        return;
    QSet<int> weekdays = m_form.repeatWeekdays;
    if (!weekdays.contains(weekday))
        weekdays.insert(weekday);
    else if (weekdays.size() >= 2) // the last chosen weekday stays
        weekdays.remove(weekday);
    if (assign(m_form.repeatWeekdays, weekdays, &EventEditor::repeatWeekdaysChanged))
        updateOccurrences();
}

void EventEditor::setRepeatUntil(const QDateTime &until)
{
    if (const auto instant = instantOf(until))
        setRepeatUntilInstant(*instant);
}

void EventEditor::setRepeatUntilInstant(Instant until)
{
    if (assign(m_form.repeatUntil, std::max(until, m_form.startTime), &EventEditor::repeatUntilChanged))
        updateOccurrences();
}

QString EventEditor::occurrenceText() const
{
    return EditorRules::occurrenceText(m_occurrenceCount);
}

void EventEditor::updateOccurrences()
{
    const Form &f = m_form;
    const QList<int> offsets = m_store
            ? m_store->occurrenceOffsets(f.startTime, f.repeatRule, f.repeatWeekdays, f.repeatUntil)
            : ::occurrenceOffsets(m_calendar, f.startTime, f.repeatRule, f.repeatWeekdays, f.repeatUntil);
    assign(m_occurrenceCount, int(offsets.size()), &EventEditor::occurrencesChanged);
}

void EventEditor::updateSeriesCount()
{
    const int count = m_store && m_existingEvent ? m_store->seriesCount(*m_existingEvent) : 1;
    assign(m_seriesCount, count, &EventEditor::seriesCountChanged);
}

QStringList EventEditor::applyToSeriesOptions() const
{
    return {QStringLiteral("This event"), QStringLiteral("All ") + QString::number(m_seriesCount) + QStringLiteral(" events")};
}

void EventEditor::setApplyToSeries(bool apply)
{
    assign(m_form.applyToSeries, apply, &EventEditor::applyToSeriesChanged);
}

// "Remind me" -----------------------------------------------------------------------------------

QList<int> EventEditor::reminders() const
{
    return sorted(m_form.reminders);
}

QVariantList EventEditor::reminderRows() const
{
    QVariantList rows;
    for (const ReminderChoice &choice : kReminderChoices) {
        rows.append(QVariantMap{
                {QStringLiteral("minutes"), choice.minutes},
                {QStringLiteral("text"), QString(choice.label.toString() + QStringLiteral(" before"))},
        });
    }
    return rows;
}

void EventEditor::toggleReminder(int minutes)
{
    QSet<int> reminders = m_form.reminders;
    if (!reminders.remove(minutes))
        reminders.insert(minutes);
    assign(m_form.reminders, reminders, &EventEditor::remindersChanged);
}

// Deleting --------------------------------------------------------------------------------------

QString EventEditor::deleteButtonText() const
{
    return m_seriesCount >= 2 ? QStringLiteral("Delete…") : QStringLiteral("Delete Event");
}

QString EventEditor::deleteAllText() const
{
    return QStringLiteral("Delete all ") + QString::number(m_seriesCount) + QStringLiteral(" events");
}

void EventEditor::setShowDeleteChoice(bool show)
{
    assign(m_form.showDeleteChoice, show, &EventEditor::showDeleteChoiceChanged);
}

void EventEditor::requestDelete()
{
    if (m_existingEvent && m_seriesCount > 1) {
        setShowDeleteChoice(true);
        return;
    }
    if (m_existingEvent && m_store)
        m_store->remove(currentExistingEvent());
    emit finished();
}

void EventEditor::deleteThisEventOnly()
{
    setShowDeleteChoice(false);
    if (m_existingEvent && m_store)
        m_store->remove(currentExistingEvent());
    emit finished();
}

void EventEditor::deleteAllEvents()
{
    setShowDeleteChoice(false);
    if (m_existingEvent && m_store)
        m_store->removeSeries(currentExistingEvent());
    emit finished();
}

void EventEditor::dismissDeleteChoice()
{
    setShowDeleteChoice(false);
}
