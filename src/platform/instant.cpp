#include "instant.h"

#include <cmath>

Instant Instant::fromDateTime(const QDateTime &dateTime)
{
    return fromMSecsSinceEpoch(dateTime.toMSecsSinceEpoch());
}

Instant Instant::fromMSecsSinceEpoch(qint64 ms)
{
    return Instant{double(ms) / 1000.0 - kReferenceDateUnixSeconds};
}

qint64 Instant::toMSecsSinceEpoch() const
{
    return qint64(std::floor((seconds + kReferenceDateUnixSeconds) * 1000.0));
}

QDateTime Instant::toDateTime() const
{
    return QDateTime::fromMSecsSinceEpoch(toMSecsSinceEpoch(), QTimeZone::utc());
}
