#pragma once

#include "calendar.h"

#include <QLocale>
#include <QString>

// Texts of dates and times shown by the calendar views, in the calendar's locale and time zone.
namespace CalendarFormat {

// The locale's long date pattern without its weekday and with abbreviated month names
// (en_US: "MMM d, yyyy").
QString abbreviatedDatePattern(const QLocale &locale);
// The abbreviated date pattern without the year (en_US: "MMM d").
QString monthDayPattern(const QLocale &locale);
// The locale's long date pattern without its weekday (en_US: "MMMM d, yyyy").
QString longDateWithoutWeekdayPattern(const QLocale &locale);

QString shortTime(Instant t, const Calendar &calendar);      // 9:00 AM
QString abbreviatedDate(Instant t, const Calendar &calendar); // Mar 13, 2024
QString monthDay(Instant t, const Calendar &calendar);        // Mar 13
QString fullDate(Instant t, const Calendar &calendar);        // Wednesday, March 13, 2024
QString weekdayName(Instant t, const Calendar &calendar);     // Wednesday
QString longDate(Instant t, const Calendar &calendar);        // March 13, 2024
// The abbreviated date and the short time, joined as the locale joins a date and a time.
QString abbreviatedDateTime(Instant t, const Calendar &calendar);
QString monthName(Instant t, const Calendar &calendar);       // March
// The year in default digits, never grouped (2024, not 2,024).
QString yearText(Instant t, const Calendar &calendar);

}
