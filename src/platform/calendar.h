#pragma once

#include "instant.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <QTimeZone>

// A half-open span of time [start, end).
struct DateInterval
{
    Instant start;
    Instant end;

    bool contains(Instant t) const { return start <= t && t < end; }
    bool operator==(const DateInterval &) const = default;
};

// Calendar arithmetic in one time zone, with one first weekday and one locale.
// Weekdays are numbered 1 (Sunday) to 7 (Saturday). Adding days, weeks, months and years keeps the
// wall-clock time across daylight-saving changes: a wall-clock time that does not exist moves to
// the next existing time, and one that occurs twice resolves to the first.
class Calendar
{
public:
    Calendar(const QTimeZone &zone, int firstWeekday, const QLocale &locale);

    // The user's time zone, locale and the locale's first day of the week.
    static Calendar current();

    const QTimeZone &timeZone() const { return m_zone; }
    int firstWeekday() const { return m_firstWeekday; }
    const QLocale &locale() const { return m_locale; }

    QDate dateOf(Instant t) const;
    QTime timeOf(Instant t) const;
    QDateTime localDateTime(Instant t) const;

    // The instant of a wall-clock date and time, resolved as described above.
    Instant instantAt(QDate date, QTime time = QTime(0, 0)) const;

    Instant startOfDay(Instant t) const;
    Instant startOfDay(QDate date) const;

    Instant addDays(Instant t, int days) const;
    Instant addWeeks(Instant t, int weeks) const;
    Instant addMonths(Instant t, int months) const;
    Instant addYears(Instant t, int years) const;

    DateInterval dayInterval(Instant t) const;
    // The week (starting on the first weekday) that contains t.
    DateInterval weekInterval(Instant t) const;
    DateInterval monthInterval(Instant t) const;

    int weekday(Instant t) const;
    static int weekdayOf(QDate date);
    int year(Instant t) const { return dateOf(t).year(); }
    int month(Instant t) const { return dateOf(t).month(); }
    int day(Instant t) const { return dateOf(t).day(); }
    int hour(Instant t) const { return timeOf(t).hour(); }
    int minute(Instant t) const { return timeOf(t).minute(); }

    bool isSameDay(Instant a, Instant b) const { return dateOf(a) == dateOf(b); }
    // Difference of the calendar dates of a and b in days (b's date minus a's date).
    int calendarDaysBetween(Instant a, Instant b) const;
    // Whole days elapsed from a to b on the wall clock, truncated toward zero.
    int wholeDaysBetween(Instant a, Instant b) const;

    // Formatting in the calendar's locale and time zone.
    QString formatDate(Instant t, QLocale::FormatType format = QLocale::ShortFormat) const;
    QString formatTime(Instant t, QLocale::FormatType format = QLocale::ShortFormat) const;
    QString format(Instant t, const QString &pattern) const;

private:
    Instant shiftedKeepingWallClock(Instant t, QDate newDate) const;

    QTimeZone m_zone;
    int m_firstWeekday;
    QLocale m_locale;
};
