#include "daylist.h"

#include "calendarformat.h"

#include <QStringList>

namespace {
const QString kRangeSeparator = QStringLiteral(" – ");
const QString kDetailSeparator = QStringLiteral(" · ");
}

QString rowTimeText(const CalendarEvent &event, const Calendar &calendar)
{
    if (event.isAllDay) {
        const int days = calendar.wholeDaysBetween(event.startTime, event.endTime);
        if (days < 2)
            return QStringLiteral("All day");
        return QStringLiteral("All day · %1 days").arg(days);
    }
    if (calendar.isSameDay(event.startTime, event.endTime)) {
        return CalendarFormat::shortTime(event.startTime, calendar) + kRangeSeparator
                + CalendarFormat::shortTime(event.endTime, calendar);
    }
    return CalendarFormat::abbreviatedDateTime(event.startTime, calendar) + kRangeSeparator
            + CalendarFormat::abbreviatedDateTime(event.endTime, calendar);
}

std::optional<QString> rowDetailText(const CalendarEvent &event)
{
    QStringList parts;
    if (event.category != QStringLiteral("Event"))
        parts.append(event.category);
    parts << event.location << event.instructor;
    // An empty category from older data would only leave a stray separator.
    parts.removeAll(QString());
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(kDetailSeparator);
}

QString dayHeaderText(Instant date, Instant now, const Calendar &calendar)
{
    if (calendar.isSameDay(date, now))
        return QStringLiteral("Today, ") + CalendarFormat::monthDay(date, calendar);
    return CalendarFormat::fullDate(date, calendar);
}

std::optional<QUrl> attachmentLink(const CalendarEvent &event)
{
    if (!event.attachment)
        return std::nullopt;
    const QUrl url(event.attachment->url, QUrl::StrictMode);
    if (event.attachment->url.isEmpty() || !url.isValid())
        return std::nullopt;
    return url;
}

bool isSyncedWithGoogle(const CalendarEvent &event)
{
    return event.googleEventId.has_value() && !event.isDirty;
}
