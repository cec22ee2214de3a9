#include "googledateformat.h"

#include <QRegularExpression>

#include <cmath>

namespace GoogleDateFormat {

namespace {

// [0-9] rather than \d, which would also accept digits of other scripts.
const QRegularExpression &dateTimePattern()
{
    static const QRegularExpression pattern(QStringLiteral(
            "^([0-9]{4})-([0-9]{2})-([0-9]{2})[Tt]([0-9]{2}):([0-9]{2}):([0-9]{2})(\\.[0-9]+)?"
            "(?:([Zz])|([+-])([0-9]{2}):([0-9]{2}))$"));
    return pattern;
}

const QRegularExpression &dayPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})$"));
    return pattern;
}

int capturedInt(const QRegularExpressionMatch &match, int group)
{
    return match.capturedView(group).toInt();
}

std::optional<QDate> dateFrom(const QRegularExpressionMatch &match)
{
    const QDate date(capturedInt(match, 1), capturedInt(match, 2), capturedInt(match, 3));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// Seconds east of UTC, or nothing for an offset beyond what a zone can have.
std::optional<int> offsetSeconds(const QRegularExpressionMatch &match)
{
    if (match.hasCaptured(8))
        return 0;
    const int hours = capturedInt(match, 10);
    const int minutes = capturedInt(match, 11);
    if (hours > 23 || minutes > 59)
        return std::nullopt;
    const int sign = match.capturedView(9) == u"-" ? -1 : 1;
    return sign * (hours * 3600 + minutes * 60);
}

} // namespace

QString formatDateTime(Instant instant)
{
    const auto unixSeconds = qint64(std::floor(instant.seconds + kReferenceDateUnixSeconds));
    return QDateTime::fromSecsSinceEpoch(unixSeconds, QTimeZone::utc()).toString(u"yyyy-MM-dd'T'HH:mm:ss'Z'");
}

std::optional<Instant> parseDateTime(QStringView text)
{
    const QRegularExpressionMatch match = dateTimePattern().match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<QDate> date = dateFrom(match);
    const QTime time(capturedInt(match, 4), capturedInt(match, 5), capturedInt(match, 6));
    const std::optional<int> offset = offsetSeconds(match);
    if (!date || !time.isValid() || !offset)
        return std::nullopt;
    const qint64 unixSeconds = QDateTime(*date, time, QTimeZone::utc()).toSecsSinceEpoch() - *offset;
    const double fraction = match.hasCaptured(7) ? match.capturedView(7).toDouble() : 0.0;
    return Instant::fromSeconds(double(unixSeconds) - kReferenceDateUnixSeconds + fraction);
}

QString formatDay(Instant instant, const Calendar &calendar)
{
    return calendar.dateOf(instant).toString(Qt::ISODate);
}

std::optional<Instant> parseDay(QStringView text, const Calendar &calendar)
{
    const QRegularExpressionMatch match = dayPattern().match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const std::optional<QDate> date = dateFrom(match);
    if (!date)
        return std::nullopt;
    return calendar.startOfDay(*date);
}

} // namespace GoogleDateFormat
