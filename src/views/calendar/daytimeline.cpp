#include "daytimeline.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kMinimumEventSeconds = 30 * 60;
constexpr int kMinimumDrawnMinutes = 20;
constexpr double kMinimumBlockHeight = 26;
constexpr double kMinimumEventsWidth = 40;
constexpr double kSwipeMinimumDistance = 30;

Placed placedWithin(const CalendarEvent &event, Instant dayStart, Instant dayEnd)
{
    const Instant clampedStart = std::max(dayStart, event.startTime);
    const Instant effectiveEnd = std::max(event.endTime, event.startTime.addingSeconds(kMinimumEventSeconds));
    const Instant clampedEnd = std::min(effectiveEnd, dayEnd);
    Placed placed;
    placed.event = event;
    placed.startMinutes = int(dayStart.secondsTo(clampedStart) / 60);
    placed.endMinutes = std::max(int(dayStart.secondsTo(clampedEnd) / 60), placed.startMinutes + kMinimumDrawnMinutes);
    return placed;
}

void setClusterColumns(QList<Placed> &placed, qsizetype first, qsizetype end, qsizetype columns)
{
    for (qsizetype i = first; i < end; ++i)
        placed[i].columns = int(std::max<qsizetype>(1, columns));
}

// One pass over events sorted by start: a cluster grows while the next event starts before the
// cluster's end, and each event takes the lowest column that is free at its start.
void assignColumns(QList<Placed> &placed)
{
    QList<int> columnEnds;
    int clusterEnd = -1;
    qsizetype clusterFirst = 0;
    for (qsizetype i = 0; i < placed.size(); ++i) {
        Placed &event = placed[i];
        if (event.startMinutes < clusterEnd) {
            clusterEnd = std::max(clusterEnd, event.endMinutes);
        } else {
            setClusterColumns(placed, clusterFirst, i, columnEnds.size());
            columnEnds.clear();
            clusterEnd = event.endMinutes;
            clusterFirst = i;
        }
        const auto free = std::find_if(columnEnds.begin(), columnEnds.end(),
                                       [&](int end) { return end <= event.startMinutes; });
        event.column = int(free - columnEnds.begin());
        if (free == columnEnds.end())
            columnEnds.append(event.endMinutes);
        else
            *free = event.endMinutes;
    }
    setClusterColumns(placed, clusterFirst, placed.size(), columnEnds.size());
}

}

QList<Placed> placeTimedEvents(const QList<CalendarEvent> &timedEvents, Instant dayStart, const Calendar &calendar)
{
    const Instant dayEnd = calendar.addDays(dayStart, 1);
    if (!(dayStart < dayEnd))
        return {};
    QList<Placed> placed;
    placed.reserve(timedEvents.size());
    for (const CalendarEvent &event : timedEvents)
        placed.append(placedWithin(event, dayStart, dayEnd));
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Placed &a, const Placed &b) { return a.startMinutes < b.startMinutes; });
    assignColumns(placed);
    return placed;
}

QString hourLabel(int hour)
{
    if (hour == 0)
        return QStringLiteral("12 AM");
    if (hour < 12)
        return QString::number(hour) + QStringLiteral(" AM");
    if (hour == 12)
        return QStringLiteral("12 PM");
    return QString::number(hour - 12) + QStringLiteral(" PM");
}

std::optional<Instant> hourSlotStart(Instant day, int hour, const Calendar &calendar)
{
    const QTime time(hour, 0, 0);
    if (!time.isValid())
        return std::nullopt;
    return calendar.instantAt(calendar.dateOf(day), time);
}

int swipeDayStep(double dx, double dy)
{
    if (std::hypot(dx, dy) < kSwipeMinimumDistance)
        return 0;
    if (std::abs(dx) <= 2 * std::abs(dy))
        return 0;
    return dx < 0 ? 1 : -1;
}

int scrollTargetHour(Instant date, Instant now, const Calendar &calendar)
{
    if (calendar.isSameDay(date, now))
        return std::max(0, calendar.hour(now) - 1);
    return 7;
}

double TimelineMetrics::eventsWidth() const
{
    return std::max(kMinimumEventsWidth, layerWidth - eventsLeft() - 12);
}

BlockGeometry blockGeometry(const Placed &placed, const TimelineMetrics &metrics)
{
    const double columnWidth = metrics.eventsWidth() / std::max(1, placed.columns);
    const double minutes = placed.endMinutes - placed.startMinutes;
    return {metrics.eventsLeft() + placed.column * columnWidth, placed.startMinutes / 60.0 * metrics.hourHeight,
            columnWidth - 2, std::max(kMinimumBlockHeight, metrics.hourHeight * minutes / 60)};
}

double currentTimeY(Instant now, const Calendar &calendar, double hourHeight)
{
    const QTime time = calendar.timeOf(now);
    return (time.hour() + time.minute() / 60.0) * hourHeight;
}
