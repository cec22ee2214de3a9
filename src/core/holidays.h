#pragma once

#include "calendar.h"
#include "instant.h"

#include <QList>
#include <QString>

// A United States holiday or observance shown beside the user's events. Never stored.
struct Holiday
{
    QString name;

    bool operator==(const Holiday &) const = default;
};

// The holidays of the Gregorian calendar day that holds `day` in the calendar's time zone, in a
// fixed order (the order of the year's rules); empty when there are none. Any year is computed
// by the same rules; fixed dates are never moved off a weekend.
QList<Holiday> holidaysForDay(Instant day, const Calendar &calendar);
