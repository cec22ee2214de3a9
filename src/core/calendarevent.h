#pragma once

#include "instant.h"

#include <QList>
#include <QString>

#include <optional>

// A link attached to an event: the label shown and the address.
struct EventAttachment
{
    QString name;
    QString url;

    bool operator==(const EventAttachment &) const = default;
};

// The one event record. Identity is `id`; equality compares all 18 fields.
// All-day events run from the start of their first day to the start of the day after their
// last day (an exclusive end), in the device calendar and time zone.
struct CalendarEvent
{
    QString id;                         // upper-case UUID; never changes
    QString title;
    Instant date;                       // start of the calendar day holding startTime
    Instant startTime;
    Instant endTime;
    bool isAllDay = false;
    QString notes;
    QString colorName = QStringLiteral("Peacock");
    std::optional<QString> googleEventId;
    std::optional<QString> googleUpdated; // Google's "updated" value, verbatim
    bool isDirty = true;                  // local changes Google has not received yet
    std::optional<EventAttachment> attachment;
    std::optional<QString> appleEventId;  // occurrence key in the local calendar database
    QString location;
    QString instructor;
    QString category = QStringLiteral("Event");
    std::optional<QString> seriesId;      // upper-case UUID shared by a repeating series
    QList<int> reminderMinutes;           // minutes before startTime

    bool operator==(const CalendarEvent &) const = default;
};
