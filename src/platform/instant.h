#pragma once

#include <QDateTime>
#include <QTimeZone>
#include <compare>

// A point in time as seconds since 2001-01-01 00:00:00 UTC, held as a double so that
// values read from stored data round-trip bit-identically.
struct Instant
{
    double seconds = 0.0;

    static constexpr Instant fromSeconds(double s) { return Instant{s}; }
    static Instant fromDateTime(const QDateTime &dateTime);
    static Instant fromMSecsSinceEpoch(qint64 ms);

    // Millisecond-precision view of the instant, for calendar arithmetic and formatting.
    QDateTime toDateTime() const;
    qint64 toMSecsSinceEpoch() const;

    constexpr Instant addingSeconds(double s) const { return Instant{seconds + s}; }
    constexpr double secondsTo(Instant other) const { return other.seconds - seconds; }

    constexpr auto operator<=>(const Instant &) const = default;
    constexpr bool operator==(const Instant &) const = default;
};

// Seconds between the Unix epoch and 2001-01-01 00:00:00 UTC.
inline constexpr double kReferenceDateUnixSeconds = 978307200.0;
