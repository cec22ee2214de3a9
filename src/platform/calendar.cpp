#include "calendar.h"

#include <cmath>

namespace {

constexpr qint64 kMSecsPerDay = 24 * 60 * 60 * 1000;

// Milliseconds since the epoch of a wall-clock date and time read as if it were UTC.
qint64 naiveMSecs(QDate date, QTime time)
{
    return QDateTime(date, time, QTimeZone::utc()).toMSecsSinceEpoch();
}

int offsetMSecsAt(const QTimeZone &zone, qint64 utcMSecs)
{
    return zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMSecs, QTimeZone::utc())) * 1000;
}

// The first UTC instant whose wall-clock reading in `zone` is date+time; for a wall-clock time
// that falls into a gap, the instant at which the gap ends.
qint64 resolveWallClock(const QTimeZone &zone, QDate date, QTime time)
{
    const qint64 naive = naiveMSecs(date, time);
    // Offset changes are far rarer than daily, so the offsets a day before and after are the only
    // candidates for this wall-clock reading.
    const int before = offsetMSecsAt(zone, naive - kMSecsPerDay);
    const int after = offsetMSecsAt(zone, naive + kMSecsPerDay);
    qint64 best = 0;
    bool found = false;
    for (const int offset : {before, after}) {
        const qint64 utc = naive - offset;
        if (offsetMSecsAt(zone, utc) == offset && (!found || utc < best)) {
            best = utc;
            found = true;
        }
    }
    if (found)
        return best;
    // A gap: reading the time with the earlier offset lands just after the transition; the
    // transition itself is the first existing wall-clock time after the gap.
    const qint64 pastGap = naive - before;
    const QTimeZone::OffsetData transition =
            zone.previousTransition(QDateTime::fromMSecsSinceEpoch(pastGap + 1, QTimeZone::utc()));
    if (transition.atUtc.isValid() && transition.atUtc.toMSecsSinceEpoch() <= pastGap)
        return transition.atUtc.toMSecsSinceEpoch();
    return pastGap;
}

// The fraction of a millisecond that the QDateTime view of an instant drops.
double subMillisecond(Instant t)
{
    return t.seconds - Instant::fromMSecsSinceEpoch(t.toMSecsSinceEpoch()).seconds;
}

}

Calendar::Calendar(const QTimeZone &zone, int firstWeekday, const QLocale &locale)
    : m_zone(zone.isValid() ? zone : QTimeZone::utc()),
      m_firstWeekday(firstWeekday >= 1 && firstWeekday <= 7 ? firstWeekday : 1),
      m_locale(locale)
{
}

Calendar Calendar::current()
{
    const QLocale locale = QLocale::system();
    return Calendar(QTimeZone::systemTimeZone(), int(locale.firstDayOfWeek()) % 7 + 1, locale);
}

QDateTime Calendar::localDateTime(Instant t) const
{
    return QDateTime::fromMSecsSinceEpoch(t.toMSecsSinceEpoch(), m_zone);
}

QDate Calendar::dateOf(Instant t) const
{
    return localDateTime(t).date();
}

QTime Calendar::timeOf(Instant t) const
{
    return localDateTime(t).time();
}

Instant Calendar::instantAt(QDate date, QTime time) const
{
    return Instant::fromMSecsSinceEpoch(resolveWallClock(m_zone, date, time));
}

Instant Calendar::startOfDay(QDate date) const
{
    return instantAt(date, QTime(0, 0));
}

Instant Calendar::startOfDay(Instant t) const
{
    return startOfDay(dateOf(t));
}

Instant Calendar::shiftedKeepingWallClock(Instant t, QDate newDate) const
{
    if (!newDate.isValid())
        return t;
    return instantAt(newDate, timeOf(t)).addingSeconds(subMillisecond(t));
}

Instant Calendar::addDays(Instant t, int days) const
{
    return shiftedKeepingWallClock(t, dateOf(t).addDays(days));
}

Instant Calendar::addWeeks(Instant t, int weeks) const
{
    return addDays(t, weeks * 7);
}

Instant Calendar::addMonths(Instant t, int months) const
{
    return shiftedKeepingWallClock(t, dateOf(t).addMonths(months));
}

Instant Calendar::addYears(Instant t, int years) const
{
    return shiftedKeepingWallClock(t, dateOf(t).addYears(years));
}

DateInterval Calendar::dayInterval(Instant t) const
{
    const QDate date = dateOf(t);
    return {startOfDay(date), startOfDay(date.addDays(1))};
}

DateInterval Calendar::weekInterval(Instant t) const
{
    const QDate date = dateOf(t);
    const int back = (weekdayOf(date) - m_firstWeekday + 7) % 7;
    const QDate first = date.addDays(-back);
    return {startOfDay(first), startOfDay(first.addDays(7))};
}

DateInterval Calendar::monthInterval(Instant t) const
{
    const QDate date = dateOf(t);
    const QDate first(date.year(), date.month(), 1);
    return {startOfDay(first), startOfDay(first.addMonths(1))};
}

int Calendar::weekdayOf(QDate date)
{
    // Qt numbers Monday 1 to Sunday 7.
    return date.dayOfWeek() % 7 + 1;
}

int Calendar::weekday(Instant t) const
{
    return weekdayOf(dateOf(t));
}

int Calendar::calendarDaysBetween(Instant a, Instant b) const
{
    return int(dateOf(a).daysTo(dateOf(b)));
}

int Calendar::wholeDaysBetween(Instant a, Instant b) const
{
    int days = calendarDaysBetween(a, b);
    if (days > 0 && addDays(a, days) > b)
        --days;
    else if (days < 0 && addDays(a, days) < b)
        ++days;
    return days;
}

QString Calendar::formatDate(Instant t, QLocale::FormatType format) const
{
    return m_locale.toString(dateOf(t), format);
}

QString Calendar::formatTime(Instant t, QLocale::FormatType format) const
{
    return m_locale.toString(timeOf(t), format);
}

QString Calendar::format(Instant t, const QString &pattern) const
{
    return m_locale.toString(localDateTime(t), pattern);
}
