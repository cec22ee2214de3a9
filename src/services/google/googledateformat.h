#pragma once

#include "calendar.h"
#include "instant.h"

#include <QString>
#include <QStringView>

#include <optional>

// The date and time texts of the Google Calendar protocol.
namespace GoogleDateFormat {

// UTC with whole seconds and Z, e.g. 2024-05-01T07:30:00Z; a fraction of a second is dropped.
QString formatDateTime(Instant instant);
// An internet date-time with a zone (Z or an offset such as +02:00) and optional fractional seconds.
std::optional<Instant> parseDateTime(QStringView text);

// The calendar day ("yyyy-MM-dd") of an instant in the calendar's time zone.
QString formatDay(Instant instant, const Calendar &calendar);
// The local midnight (or the first moment of the day) that starts a "yyyy-MM-dd" day.
std::optional<Instant> parseDay(QStringView text, const Calendar &calendar);

} // namespace GoogleDateFormat
