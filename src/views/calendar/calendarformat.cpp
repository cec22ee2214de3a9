#include "calendarformat.h"

#include <QRegularExpression>

namespace {

// Removes the fields matched by `field` (a run of one pattern letter) together with the
// separators that tie them to the rest of the pattern.
QString withoutField(const QString &pattern, const QString &field)
{
    const QString separators = QStringLiteral("[^A-Za-z']*");
    // A field at the end takes the separators before it; anywhere else those after it.
    const QRegularExpression atEnd(separators + field + QStringLiteral("$"));
    QString result = pattern;
    if (result.contains(atEnd))
        result.remove(atEnd);
    else
        result.remove(QRegularExpression(field + separators));
    return result.trimmed();
}

QString withoutWeekday(const QString &pattern)
{
    return withoutField(pattern, QStringLiteral("d{3,4}"));
}

}

namespace CalendarFormat {

QString abbreviatedDatePattern(const QLocale &locale)
{
    QString pattern = withoutWeekday(locale.dateFormat(QLocale::LongFormat));
    pattern.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return pattern;
}

QString monthDayPattern(const QLocale &locale)
{
    return withoutField(abbreviatedDatePattern(locale), QStringLiteral("y+"));
}

QString longDateWithoutWeekdayPattern(const QLocale &locale)
{
    return withoutWeekday(locale.dateFormat(QLocale::LongFormat));
}

QString shortTime(Instant t, const Calendar &calendar)
{
    return calendar.formatTime(t, QLocale::ShortFormat);
}

QString abbreviatedDate(Instant t, const Calendar &calendar)
{
    return calendar.format(t, abbreviatedDatePattern(calendar.locale()));
}

QString monthDay(Instant t, const Calendar &calendar)
{
    return calendar.format(t, monthDayPattern(calendar.locale()));
}

QString fullDate(Instant t, const Calendar &calendar)
{
    return calendar.formatDate(t, QLocale::LongFormat);
}

QString weekdayName(Instant t, const Calendar &calendar)
{
    return calendar.locale().dayName(calendar.dateOf(t).dayOfWeek(), QLocale::LongFormat);
}

QString longDate(Instant t, const Calendar &calendar)
{
    return calendar.format(t, longDateWithoutWeekdayPattern(calendar.locale()));
}

QString abbreviatedDateTime(Instant t, const Calendar &calendar)
{
    const QLocale &locale = calendar.locale();
    QString pattern = locale.dateTimeFormat(QLocale::ShortFormat);
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(shortDate))
        return abbreviatedDate(t, calendar) + QLatin1Char(' ') + shortTime(t, calendar);
    pattern.replace(shortDate, abbreviatedDatePattern(locale));
    return calendar.format(t, pattern);
}

QString monthName(Instant t, const Calendar &calendar)
{
    return calendar.locale().standaloneMonthName(calendar.month(t), QLocale::LongFormat);
}

QString yearText(Instant t, const Calendar &calendar)
{
    return calendar.format(t, QStringLiteral("yyyy"));
}

}
