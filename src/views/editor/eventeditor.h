#pragma once

#include "calendar.h"
#include "calendarevent.h"
#include "eventstore.h"
#include "notificationcenter.h"
#include "repeatrule.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <optional>

class Clock;

// The state and rules of the event editor. It works on a private copy of the values and touches
// the store only on save() and the delete operations, each of which ends with finished().
//
// Inputs, set before fill(): `store`; `eventId` of the event to edit (empty for a new event);
// for a new event `date`, the day it was opened for, and optionally `presetStart`, a start picked
// in a day timeline. fill() resets the state and fills it from those inputs; call it every time
// the form is shown.
class EventEditor : public QObject
{
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(EventStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(QString eventId READ eventId WRITE setEventId NOTIFY eventIdChanged)
    Q_PROPERTY(QDateTime date READ date WRITE setDate NOTIFY dateChanged)
    // Invalid (or assigned undefined from QML) for none.
    Q_PROPERTY(QDateTime presetStart READ presetStart WRITE setPresetStart RESET resetPresetStart NOTIFY presetStartChanged)

    Q_PROPERTY(bool isNew READ isNew NOTIFY filled)
    Q_PROPERTY(QString navigationTitle READ navigationTitle NOTIFY filled)

    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(bool isAllDay READ isAllDay WRITE setIsAllDay NOTIFY isAllDayChanged)
    Q_PROPERTY(QDateTime startTime READ startTime WRITE setStartTime NOTIFY startTimeChanged)
    Q_PROPERTY(QDateTime endTime READ endTime WRITE setEndTime NOTIFY endTimeChanged)
    // "Ends" accepts nothing earlier: the start's day when all-day, else the start.
    Q_PROPERTY(QDateTime endMinimum READ endMinimum NOTIFY endMinimumChanged)
    Q_PROPERTY(QString notes READ notes WRITE setNotes NOTIFY notesChanged)
    Q_PROPERTY(QString colorName READ colorName WRITE setColorName NOTIFY colorNameChanged)
    Q_PROPERTY(QString attachmentURL READ attachmentURL WRITE setAttachmentURL NOTIFY attachmentURLChanged)
    Q_PROPERTY(QString attachmentName READ attachmentName WRITE setAttachmentName NOTIFY attachmentNameChanged)
    Q_PROPERTY(bool isLinkValid READ isLinkValid NOTIFY attachmentURLChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY canSaveChanged)

    Q_PROPERTY(QStringList categoryOptions READ categoryOptions CONSTANT)
    Q_PROPERTY(QString category READ category WRITE setCategory NOTIFY categoryChanged)
    Q_PROPERTY(int categoryIndex READ categoryIndex WRITE setCategoryIndex NOTIFY categoryChanged)
    Q_PROPERTY(bool isSchoolCategory READ isSchoolCategory NOTIFY categoryChanged)
    Q_PROPERTY(QString locationLabel READ locationLabel NOTIFY categoryChanged)
    Q_PROPERTY(QString location READ location WRITE setLocation NOTIFY locationChanged)
    Q_PROPERTY(QString instructor READ instructor WRITE setInstructor NOTIFY instructorChanged)

    Q_PROPERTY(bool showsRepeatSection READ isNew NOTIFY filled)
    Q_PROPERTY(QStringList repeatRuleLabels READ repeatRuleLabels CONSTANT)
    Q_PROPERTY(int repeatRuleIndex READ repeatRuleIndex WRITE setRepeatRuleIndex NOTIFY repeatRuleChanged)
    Q_PROPERTY(bool showsWeekdays READ showsWeekdays NOTIFY repeatRuleChanged)
    Q_PROPERTY(bool showsRepeatUntil READ showsRepeatUntil NOTIFY repeatRuleChanged)
    Q_PROPERTY(QList<int> repeatWeekdays READ repeatWeekdays NOTIFY repeatWeekdaysChanged)
    // Seven chips, Sunday first, whatever the locale's first weekday: { number, symbol }.
    Q_PROPERTY(QVariantList weekdayChips READ weekdayChips CONSTANT)
    Q_PROPERTY(QDateTime repeatUntil READ repeatUntil WRITE setRepeatUntil NOTIFY repeatUntilChanged)
    Q_PROPERTY(int occurrenceCount READ occurrenceCount NOTIFY occurrencesChanged)
    Q_PROPERTY(QString occurrenceText READ occurrenceText NOTIFY occurrencesChanged)

    Q_PROPERTY(int seriesCount READ seriesCount NOTIFY seriesCountChanged)
    Q_PROPERTY(bool showsSeriesSection READ showsSeriesSection NOTIFY seriesCountChanged)
    // "This event", "All 7 events".
    Q_PROPERTY(QStringList applyToSeriesOptions READ applyToSeriesOptions NOTIFY seriesCountChanged)
    Q_PROPERTY(bool applyToSeries READ applyToSeries WRITE setApplyToSeries NOTIFY applyToSeriesChanged)

    Q_PROPERTY(QList<int> reminders READ reminders NOTIFY remindersChanged)
    // One row per offered reminder, in order: { minutes, text } ("15 minutes before").
    Q_PROPERTY(QVariantList reminderRows READ reminderRows CONSTANT)

    Q_PROPERTY(QString deleteButtonText READ deleteButtonText NOTIFY seriesCountChanged)
    Q_PROPERTY(QString deleteAllText READ deleteAllText NOTIFY seriesCountChanged)
    Q_PROPERTY(bool showDeleteChoice READ showDeleteChoice NOTIFY showDeleteChoiceChanged)

public:
    // The choices of the "Type" picker, in order; "Class" and "Exam" are the school categories.
    static inline const QStringList kCategoryOptions = {
            QStringLiteral("Event"),    QStringLiteral("Class"), QStringLiteral("Exam"),
            QStringLiteral("Homework"), QStringLiteral("Work"),  QStringLiteral("Personal"),
    };

    explicit EventEditor(QObject *parent = nullptr);
    ~EventEditor() override;

    // The user's calendar, the shared clock, the shared notification center and the shared
    // scheduler unless replaced (tests replace them).
    void setCalendar(const Calendar &calendar) { m_calendar = calendar; }
    const Calendar &calendar() const { return m_calendar; }
    void setClock(const Clock &clock) { m_clock = &clock; }
    void setNotificationCenter(NotificationCenter *center) { m_notificationCenter = center; }
    void setRemindersRescheduler(EventStore::RemindersRescheduler rescheduler);

    EventStore *store() const { return m_store; }
    void setStore(EventStore *store);
    QString eventId() const { return m_eventId; }
    void setEventId(const QString &id);
    QDateTime date() const;
    void setDate(const QDateTime &date);
    QDateTime presetStart() const;
    void setPresetStart(const QDateTime &start);
    void resetPresetStart() { setPresetStart(QDateTime()); }

    bool isNew() const { return !m_existingEvent.has_value(); }
    QString navigationTitle() const;
    const std::optional<CalendarEvent> &existingEvent() const { return m_existingEvent; }

    QString title() const { return m_form.title; }
    void setTitle(const QString &title);
    bool isAllDay() const { return m_form.isAllDay; }
    void setIsAllDay(bool isAllDay);
    QDateTime startTime() const { return dateTime(m_form.startTime); }
    Instant startInstant() const { return m_form.startTime; }
    void setStartTime(const QDateTime &start);
    void setStartInstant(Instant start);
    QDateTime endTime() const { return dateTime(m_form.endTime); }
    Instant endInstant() const { return m_form.endTime; }
    void setEndTime(const QDateTime &end);
    void setEndInstant(Instant end);
    QDateTime endMinimum() const { return dateTime(endLowerBound()); }
    QString notes() const { return m_form.notes; }
    void setNotes(const QString &notes);
    QString colorName() const { return m_form.colorName; }
    void setColorName(const QString &name);
    QString attachmentURL() const { return m_form.attachmentURL; }
    void setAttachmentURL(const QString &url);
    QString attachmentName() const { return m_form.attachmentName; }
    void setAttachmentName(const QString &name);
    bool isLinkValid() const;
    bool canSave() const;

    QStringList categoryOptions() const { return kCategoryOptions; }
    QString category() const { return m_form.category; }
    void setCategory(const QString &category);
    int categoryIndex() const { return int(kCategoryOptions.indexOf(m_form.category)); }
    void setCategoryIndex(int index);
    bool isSchoolCategory() const;
    QString locationLabel() const;
    QString location() const { return m_form.location; }
    void setLocation(const QString &location);
    QString instructor() const { return m_form.instructor; }
    void setInstructor(const QString &instructor);

    QStringList repeatRuleLabels() const;
    RepeatRule repeatRule() const { return m_form.repeatRule; }
    void setRepeatRule(RepeatRule rule);
    int repeatRuleIndex() const;
    void setRepeatRuleIndex(int index);
    bool showsWeekdays() const;
    bool showsRepeatUntil() const { return m_form.repeatRule != RepeatRule::never; }
    QList<int> repeatWeekdays() const;
    QVariantList weekdayChips() const;
    QDateTime repeatUntil() const { return dateTime(m_form.repeatUntil); }
    Instant repeatUntilInstant() const { return m_form.repeatUntil; }
    void setRepeatUntil(const QDateTime &until);
    void setRepeatUntilInstant(Instant until);
    int occurrenceCount() const { return m_occurrenceCount; }
    QString occurrenceText() const;

    int seriesCount() const { return m_seriesCount; }
    bool showsSeriesSection() const { return !isNew() && m_seriesCount >= 2; }
    QStringList applyToSeriesOptions() const;
    bool applyToSeries() const { return m_form.applyToSeries; }
    void setApplyToSeries(bool apply);

    QList<int> reminders() const;
    QVariantList reminderRows() const;

    QString deleteButtonText() const;
    QString deleteAllText() const;
    bool showDeleteChoice() const { return m_form.showDeleteChoice; }

    // Resets the state to its initial values and fills it from the inputs.
    Q_INVOKABLE void fill();
    // Adds w (1 Sunday .. 7 Saturday) to the weekdays, or removes it unless it is the last one.
    Q_INVOKABLE void toggleWeekday(int weekday);
    Q_INVOKABLE void toggleReminder(int minutes);
    // Chooses the palette colour `delta` places along from the current one, stopping at the ends.
    Q_INVOKABLE void stepColor(int delta);

    // Stores the form (only while canSave holds), then finished().
    Q_INVOKABLE void save();
    // The delete button: asks with the delete choice for a series of two or more, else deletes.
    Q_INVOKABLE void requestDelete();
    Q_INVOKABLE void deleteThisEventOnly();
    Q_INVOKABLE void deleteAllEvents();
    // Closes the delete choice without deleting.
    Q_INVOKABLE void dismissDeleteChoice();

signals:
    void storeChanged();
    void eventIdChanged();
    void dateChanged();
    void presetStartChanged();
    void filled();
    void titleChanged();
    void isAllDayChanged();
    void startTimeChanged();
    void endTimeChanged();
    void endMinimumChanged();
    void notesChanged();
    void colorNameChanged();
    void attachmentURLChanged();
    void attachmentNameChanged();
    void canSaveChanged();
    void categoryChanged();
    void locationChanged();
    void instructorChanged();
    void repeatRuleChanged();
    void repeatWeekdaysChanged();
    void repeatUntilChanged();
    void occurrencesChanged();
    void seriesCountChanged();
    void applyToSeriesChanged();
    void remindersChanged();
    void showDeleteChoiceChanged();
    // Save or a deletion is done: the editor closes.
    void finished();

private:
    // Everything the user edits, with the initial values of a form not yet filled.
    struct Form
    {
        QString title;
        bool isAllDay = false;
        Instant startTime;
        Instant endTime;
        QString notes;
        QString colorName = QStringLiteral("Peacock");
        QString attachmentURL;
        QString attachmentName;
        QString category = QStringLiteral("Event");
        QString location;
        QString instructor;
        RepeatRule repeatRule = RepeatRule::never;
        QSet<int> repeatWeekdays;
        Instant repeatUntil;
        bool applyToSeries = false;
        bool showDeleteChoice = false;
        QSet<int> reminders;
    };

    template<typename T>
    bool assign(T &member, const T &value, void (EventEditor::*changed)());

    const Clock &clock() const;
    QDateTime dateTime(Instant t) const { return m_calendar.localDateTime(t); }
    Instant endLowerBound() const;
    std::optional<CalendarEvent> storedEvent(const QString &id) const;
    // The stored version of the edited event, so that links the store changed meanwhile survive.
    CalendarEvent currentExistingEvent() const;

    Form initialForm() const;
    Form formForEvent(const CalendarEvent &event) const;
    Form formForNewEvent() const;
    void applyForm(const Form &form);
    void setShowDeleteChoice(bool show);

    void updateCanSave();
    void updateEndMinimum();
    void updateOccurrences();
    void updateSeriesCount();

    std::pair<Instant, Instant> normalizedTimes() const;
    CalendarEvent newEvent(Instant start, Instant end) const;
    CalendarEvent editedEvent(Instant start, Instant end) const;
    void applyFormValues(CalendarEvent &event, Instant start, Instant end) const;
    void rescheduleRemindersWithPermission() const;

    Calendar m_calendar;
    const Clock *m_clock = nullptr;
    QPointer<NotificationCenter> m_notificationCenter;
    EventStore::RemindersRescheduler m_reschedule;

    QPointer<EventStore> m_store;
    QMetaObject::Connection m_storeConnection;
    QString m_eventId;
    std::optional<Instant> m_date;
    std::optional<Instant> m_presetStart;
    std::optional<CalendarEvent> m_existingEvent;

    Form m_form;

    // Derived values, kept to announce only real changes.
    bool m_canSave = false;
    Instant m_endMinimum;
    int m_occurrenceCount = 1;
    int m_seriesCount = 1;
};
