#pragma once

#include "calendar.h"
#include "calendarevent.h"

#include <QList>
#include <QString>

#include <optional>

// One timed event positioned in the day timeline. Minutes are elapsed time since the start of
// the day, so on daylight-saving days they differ from the clock reading.
struct Placed
{
    CalendarEvent event;
    int startMinutes = 0; // never negative
    int endMinutes = 0;   // at least startMinutes + 20
    int column = 0;       // within its overlap cluster
    int columns = 1;      // of its overlap cluster, at least 1

    bool operator==(const Placed &) const = default;
};

// Lays out the timed events of the day starting at `dayStart`: each is clamped to the day and
// counts as at least 30 minutes (and 20 drawn minutes); overlapping events share a cluster whose
// members sit side by side in as many columns as the cluster ever needed. Equal starts keep the
// input order.
QList<Placed> placeTimedEvents(const QList<CalendarEvent> &timedEvents, Instant dayStart, const Calendar &calendar);

// "12 AM", "1 AM" … "12 PM", "1 PM" … "11 PM", whatever the locale.
QString hourLabel(int hour);

// The start of a new event tapped at `hour` of the day holding `day`: that whole hour on the
// wall clock, or the first existing time after it on a day the clocks go forward.
std::optional<Instant> hourSlotStart(Instant day, int hour, const Calendar &calendar);

// A finished drag steps the day only when it is mostly horizontal (more than twice the vertical
// movement) and long enough to count as a drag: +1 to the left, -1 to the right, else 0.
int swipeDayStep(double dx, double dy);

// The hour row scrolled to the top: the hour before now on today, 7 AM on any other day.
int scrollTargetHour(Instant date, Instant now, const Calendar &calendar);

// Where a placed event's block sits in the events layer, in points.
struct BlockGeometry
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    bool operator==(const BlockGeometry &) const = default;
};

struct TimelineMetrics
{
    double layerWidth = 0; // the hour column including its trailing padding
    double labelWidth = 48;
    double hourHeight = 64;

    double eventsLeft() const { return labelWidth + 6; }
    double eventsWidth() const;
};

BlockGeometry blockGeometry(const Placed &placed, const TimelineMetrics &metrics);

// The vertical position of the current-time line for `now`.
double currentTimeY(Instant now, const Calendar &calendar, double hourHeight);
