#pragma once

#include <QString>

// One event calendar of the local calendar database as the settings screen lists it.
// Identified by `id`; equality compares all fields.
struct CalendarInfo
{
    QString id;
    QString title;
    QString source; // title of the account source the calendar belongs to
    bool canEdit = false;

    bool operator==(const CalendarInfo &) const = default;
};
