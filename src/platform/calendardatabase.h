#pragma once

#include "instant.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <optional>
#include <variant>

// Whether the application may use the device's calendar database.
enum class CalendarAuthorization {
    NotDetermined, // the user has not been asked yet
    Restricted,    // the user allowed it, but the system does not let the application read and write
    Denied,        // the user refused, or the system does not let the application read
    FullAccess,
    WriteOnly,     // may add events but not read them
};

enum class CalendarSourceType { Local, CalDav, Subscribed, Birthdays };

enum class CalendarType { Local, CalDav, Subscription, Birthday };

// One event calendar of the database, with the account source it belongs to.
struct DeviceCalendar
{
    QString identifier; // stable between queries; never contains "|"
    QString title;
    CalendarType type = CalendarType::Local;
    QString sourceIdentifier;
    QString sourceTitle;
    CalendarSourceType sourceType = CalendarSourceType::Local;
    bool isWritable = false; // events may be added, changed and removed

    bool operator==(const DeviceCalendar &) const = default;
};

// One occurrence of an event. All occurrences of a repeating event share `identifier`; their
// start tells them apart.
struct DeviceEvent
{
    QString identifier;         // empty for an event not saved yet; never contains "|"
    QString calendarIdentifier; // where a new event is saved
    std::optional<QString> title; // the texts are absent when the event has none; an empty
    std::optional<QString> notes; // text is saved as none
    std::optional<QString> location;
    bool isAllDay = false;
    // An all-day occurrence starts at midnight of its first day and ends at midnight after its
    // last day, in the database's time zone. A save also accepts an all-day end one second before
    // that midnight, or equal to the start for a one-day event.
    Instant start;
    Instant end;
    // Which occurrence of a repeating event this is, in the database's own encoding; saves and
    // removals use it to find the occurrence again. Absent for an event that does not repeat.
    std::optional<qint64> recurrenceId;

    bool operator==(const DeviceEvent &) const = default;
};

struct CalendarDatabaseError
{
    QString description; // a sentence the user can read

    bool operator==(const CalendarDatabaseError &) const = default;
};

// The device's calendar database: its calendars and their events, read and written one
// occurrence at a time. Everything runs on the main thread.
class CalendarDatabase : public QObject
{
    Q_OBJECT

public:
    using AccessAnswer = std::variant<bool, CalendarDatabaseError>;
    using SaveResult = std::variant<DeviceEvent, CalendarDatabaseError>;

    using QObject::QObject;
    ~CalendarDatabase() override;

    virtual CalendarAuthorization authorizationStatus() const = 0;
    // Asks the user for full access when nobody has answered yet; answers whether it is granted,
    // or an error when the question could not be asked.
    virtual QCoro::Task<AccessAnswer> requestFullAccess() = 0;

    // Without full access the queries answer nothing and every write fails.
    virtual QList<DeviceCalendar> calendars() = 0;
    virtual std::optional<DeviceCalendar> calendar(const QString &identifier) = 0;
    // Picks up calendars and sources added or removed since the last look.
    virtual void refreshSourcesIfNecessary() = 0;

    // The occurrences that overlap [start, end), repeating events expanded, ordered by start.
    // Without a calendar list every calendar is searched.
    virtual QList<DeviceEvent> events(Instant start, Instant end,
                                      const std::optional<QStringList> &calendarIdentifiers = std::nullopt) = 0;
    // The event with that identifier; for a repeating event its first occurrence.
    virtual std::optional<DeviceEvent> event(const QString &identifier) = 0;

    // Saves this occurrence only: a repeating event keeps its other occurrences. An event without
    // identifier is created in its calendar. Answers the occurrence as later queries report it.
    virtual SaveResult saveEvent(const DeviceEvent &event) = 0;
    // Removes this occurrence only. Nothing means success.
    virtual std::optional<CalendarDatabaseError> removeEvent(const DeviceEvent &event) = 0;

signals:
    // Once per settled change of the database, whoever made it.
    void changed();
};
