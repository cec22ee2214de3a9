#pragma once

#include "calendar.h"
#include "calendarevent.h"
#include "holidays.h"

#include <QList>
#include <QStringList>

// The rows of a month grid: whole weeks, seven starts of days each, from the week holding the
// month's first day to the week holding its last day (4 to 6 rows).
QList<QList<Instant>> monthWeeks(Instant date, const Calendar &calendar);

// The dates of the week that holds `date`, starting on the calendar's first weekday.
QList<Instant> weekDates(Instant date, const Calendar &calendar);

// Weekday symbols listed Sunday first, rotated to begin at `firstWeekday` (1 = Sunday).
QStringList orderedWeekdaySymbols(const QStringList &symbols, int firstWeekday);
// The locale's weekday symbols, Sunday first: short (Sun) and very short (S).
QStringList shortWeekdaySymbols(const QLocale &locale);
QStringList veryShortWeekdaySymbols(const QLocale &locale);

// What one day cell lists below its label.
struct DayCellContent
{
    QList<Holiday> holidays;     // at most two; further holidays are neither shown nor counted
    QList<CalendarEvent> events; // the events that fit
    int hidden = 0;              // events left out, told by the "+N more" line

    bool operator==(const DayCellContent &) const = default;
};

// Fills `maxItems` chip lines: up to two holidays first, then as many events as the room left.
DayCellContent dayCellContent(const QList<Holiday> &holidays, const QList<CalendarEvent> &events, int maxItems);

// The height of each part of a cell's chip column, measured by the view.
struct ChipMetrics
{
    double chipHeight = 0;
    double moreLineHeight = 0;
    double spacing = 0;
};

// The content of a cell whose chip column is `availableHeight` high: the lines of
// dayCellContent(…, maxItems), or fewer when they do not fit, so that the "+N more" line always
// stays visible and tells every event left out.
DayCellContent fittingDayCellContent(const QList<Holiday> &holidays, const QList<CalendarEvent> &events,
                                     int maxItems, double availableHeight, const ChipMetrics &metrics);

// The height of a day's label in a cell `cellHeight` high: 36 points, shrinking to no less than
// 24 to keep room for one chip line and the "+N more" line, and never taller than the cell.
double dayLabelHeight(double cellHeight, const ChipMetrics &metrics);
// The height left for the chip column below a label `labelHeight` high.
double chipColumnHeight(double cellHeight, double labelHeight);

// "+3 more"; empty when nothing is hidden.
QString moreText(int hidden);

// How a day's label is drawn, the first case that applies.
enum class DayLabelStyle { Selected, Today, InMonth, OutsideMonth };
DayLabelStyle dayLabelStyle(bool isSelected, bool isToday, bool inMonth);

// The abbreviated month and day on the first of a month (Mar 1), else the day number.
QString dayLabelText(Instant day, const Calendar &calendar);
