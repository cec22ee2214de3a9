#include "holidays.h"

namespace {

enum Weekday { Sunday = 1, Monday = 2, Tuesday = 3, Thursday = 5 };

// Easter Sunday by the anonymous Gregorian algorithm (Meeus, Jones and Butcher); an invalid date
// where the result is no date (years before 1).
QDate easterSunday(int year)
{
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int monthAndDay = h + l - 7 * m + 114;
    return QDate(year, monthAndDay / 31, monthAndDay % 31 + 1);
}

// What the rules look at for one day.
struct Day
{
    QDate date;
    int day;
    int weekday;     // 1 Sunday .. 7 Saturday
    int weekOfMonth; // 0 for days 1-7, 1 for 8-14, 2 for 15-21, 3 for 22-28, 4 after

    explicit Day(QDate d)
        : date(d), day(d.day()), weekday(Calendar::weekdayOf(d)), weekOfMonth((d.day() - 1) / 7)
    {
    }

    bool isNth(int n, int wantedWeekday) const { return weekday == wantedWeekday && weekOfMonth == n - 1; }
    bool isLast(int wantedWeekday) const { return weekday == wantedWeekday && day + 7 > date.daysInMonth(); }
    bool isEasterPlus(int days) const
    {
        const QDate easter = easterSunday(date.year());
        return easter.isValid() && date == easter.addDays(days);
    }
};

struct Rule
{
    int month;
    bool (*applies)(const Day &);
    const char16_t *name;
};

// In the order their names are listed for a day.
constexpr Rule kRules[] = {
    {1, [](const Day &d) { return d.day == 1; }, u"New Year's Day"},
    {1, [](const Day &d) { return d.isNth(3, Monday); }, u"Martin Luther King Jr. Day"},
    {2, [](const Day &d) { return d.day == 14; }, u"Valentine's Day"},
    {2, [](const Day &d) { return d.isNth(3, Monday); }, u"Presidents' Day"},
    {3, [](const Day &d) { return d.day == 17; }, u"St. Patrick's Day"},
    {3, [](const Day &d) { return d.isNth(2, Sunday); }, u"Daylight Saving Time starts"},
    {3, [](const Day &d) { return d.isEasterPlus(0); }, u"Easter"},
    {3, [](const Day &d) { return d.isEasterPlus(-2); }, u"Good Friday"},
    {4, [](const Day &d) { return d.isEasterPlus(0); }, u"Easter"},
    {4, [](const Day &d) { return d.isEasterPlus(-2); }, u"Good Friday"},
    {5, [](const Day &d) { return d.day == 5; }, u"Cinco de Mayo"},
    {5, [](const Day &d) { return d.isNth(2, Sunday); }, u"Mother's Day"},
    {5, [](const Day &d) { return d.isLast(Monday); }, u"Memorial Day"},
    {6, [](const Day &d) { return d.day == 19; }, u"Juneteenth"},
    {6, [](const Day &d) { return d.isNth(3, Sunday); }, u"Father's Day"},
    {7, [](const Day &d) { return d.day == 4; }, u"Independence Day"},
    {9, [](const Day &d) { return d.isNth(1, Monday); }, u"Labor Day"},
    {10, [](const Day &d) { return d.isNth(2, Monday); }, u"Columbus Day"},
    {10, [](const Day &d) { return d.isNth(2, Monday); }, u"Indigenous Peoples' Day"},
    {10, [](const Day &d) { return d.day == 31; }, u"Halloween"},
    {11, [](const Day &d) { return d.day == 11; }, u"Veterans Day"},
    {11, [](const Day &d) { return d.day == 2; }, u"Day of the Dead"},
    {11, [](const Day &d) { return d.isNth(1, Sunday); }, u"Daylight Saving Time ends"},
    // The Tuesday after the first Monday, in the years of federal elections.
    {11, [](const Day &d) { return d.weekday == Tuesday && d.day >= 2 && d.day <= 8 && d.date.year() % 2 == 0; },
     u"Election Day"},
    {11, [](const Day &d) { return d.isNth(4, Thursday); }, u"Thanksgiving"},
    {12, [](const Day &d) { return d.day == 24; }, u"Christmas Eve"},
    {12, [](const Day &d) { return d.day == 25; }, u"Christmas"},
    {12, [](const Day &d) { return d.day == 31; }, u"New Year's Eve"},
};

void collect(QList<Holiday> &holidays, const Rule &rule, const Day &day)
{
    if (rule.month == day.date.month() && rule.applies(day))
        holidays.append(Holiday{QString::fromUtf16(rule.name)});
}

}

QList<Holiday> holidaysForDay(Instant instant, const Calendar &calendar)
{
    // QDate counts in the proleptic Gregorian calendar, whatever calendar the locale prefers.
    const QDate date = calendar.dateOf(instant);
    QList<Holiday> holidays;
    if (!date.isValid())
        return holidays;
    const Day day(date);
    for (const Rule &rule : kRules)
        collect(holidays, rule, day);
    return holidays;
}
