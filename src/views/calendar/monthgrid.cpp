#include "monthgrid.h"

#include "calendarformat.h"

#include <algorithm>

namespace {

constexpr int kDaysPerWeek = 7;
constexpr int kMaxHolidayChips = 2;
constexpr double kSecondsPerDay = 86400;
constexpr double kCellVerticalPadding = 3;
constexpr double kLabelSpacing = 3;
constexpr double kFullLabelHeight = 36;
constexpr double kCompactLabelHeight = 24;

Instant nextDay(Instant day, const Calendar &calendar)
{
    const Instant next = calendar.addDays(day, 1);
    return next > day ? next : day.addingSeconds(kSecondsPerDay);
}

double columnHeight(const DayCellContent &content, const ChipMetrics &metrics)
{
    const qsizetype lines = content.holidays.size() + content.events.size() + (content.hidden > 0 ? 1 : 0);
    if (lines == 0)
        return 0;
    const qsizetype chips = content.holidays.size() + content.events.size();
    return double(chips) * metrics.chipHeight + (content.hidden > 0 ? metrics.moreLineHeight : 0)
            + double(lines - 1) * metrics.spacing;
}

}

QList<QList<Instant>> monthWeeks(Instant date, const Calendar &calendar)
{
    const DateInterval month = calendar.monthInterval(date);
    const DateInterval firstWeek = calendar.weekInterval(month.start);
    const Instant lastDay = calendar.addDays(month.end, -1);
    if (!(month.start < month.end) || !(lastDay < month.end))
        return {};
    const DateInterval lastWeek = calendar.weekInterval(lastDay);
    QList<QList<Instant>> rows;
    for (Instant cursor = firstWeek.start; cursor < lastWeek.end;) {
        QList<Instant> row;
        for (int i = 0; i < kDaysPerWeek; ++i) {
            row.append(cursor);
            cursor = nextDay(cursor, calendar);
        }
        rows.append(row);
    }
    return rows;
}

QList<Instant> weekDates(Instant date, const Calendar &calendar)
{
    const DateInterval week = calendar.weekInterval(date);
    if (!(week.start < week.end))
        return {date};
    QList<Instant> days;
    for (int i = 0; i < kDaysPerWeek; ++i)
        days.append(calendar.addDays(week.start, i));
    return days;
}

QStringList orderedWeekdaySymbols(const QStringList &symbols, int firstWeekday)
{
    const qsizetype first = qBound(1, firstWeekday, int(symbols.size())) - 1;
    if (symbols.isEmpty())
        return symbols;
    return symbols.mid(first) + symbols.mid(0, first);
}

QStringList shortWeekdaySymbols(const QLocale &locale)
{
    QStringList symbols;
    for (int weekday = 1; weekday <= kDaysPerWeek; ++weekday)
        symbols.append(locale.dayName(weekday == 1 ? 7 : weekday - 1, QLocale::ShortFormat)); // Qt: Monday 1
    return symbols;
}

QStringList veryShortWeekdaySymbols(const QLocale &locale)
{
    QStringList symbols;
    for (int weekday = 1; weekday <= kDaysPerWeek; ++weekday)
        symbols.append(locale.dayName(weekday == 1 ? 7 : weekday - 1, QLocale::NarrowFormat));
    return symbols;
}

DayCellContent dayCellContent(const QList<Holiday> &holidays, const QList<CalendarEvent> &events, int maxItems)
{
    DayCellContent content;
    content.holidays = holidays.mid(0, kMaxHolidayChips);
    const qsizetype room = qMax<qsizetype>(0, maxItems - content.holidays.size());
    content.events = events.mid(0, room);
    content.hidden = int(qMax<qsizetype>(0, events.size() - room));
    return content;
}

DayCellContent fittingDayCellContent(const QList<Holiday> &holidays, const QList<CalendarEvent> &events,
                                     int maxItems, double availableHeight, const ChipMetrics &metrics)
{
    for (int lines = maxItems; lines > 0; --lines) {
        DayCellContent content = dayCellContent(holidays.mid(0, lines), events, lines);
        if (columnHeight(content, metrics) <= availableHeight)
            return content;
    }
    DayCellContent none = dayCellContent({}, events, 0);
    if (columnHeight(none, metrics) > availableHeight)
        none.hidden = 0; // not even the count fits; the label alone shows the day
    return none;
}

double dayLabelHeight(double cellHeight, const ChipMetrics &metrics)
{
    const double oneLineAndCount = metrics.chipHeight + metrics.spacing + metrics.moreLineHeight;
    const double wanted = cellHeight - 2 * kCellVerticalPadding - kLabelSpacing - oneLineAndCount;
    const double label = std::clamp(wanted, kCompactLabelHeight, kFullLabelHeight);
    return std::max(0.0, std::min(label, cellHeight - 2 * kCellVerticalPadding));
}

double chipColumnHeight(double cellHeight, double labelHeight)
{
    return std::max(0.0, cellHeight - 2 * kCellVerticalPadding - labelHeight - kLabelSpacing);
}

QString moreText(int hidden)
{
    if (hidden <= 0)
        return {};
    return QStringLiteral("+%1 more").arg(qlonglong(hidden));
}

DayLabelStyle dayLabelStyle(bool isSelected, bool isToday, bool inMonth)
{
    if (isSelected)
        return DayLabelStyle::Selected;
    if (isToday)
        return DayLabelStyle::Today;
    return inMonth ? DayLabelStyle::InMonth : DayLabelStyle::OutsideMonth;
}

QString dayLabelText(Instant day, const Calendar &calendar)
{
    if (calendar.day(day) == 1)
        return CalendarFormat::monthDay(day, calendar);
    return calendar.format(day, QStringLiteral("d"));
}
