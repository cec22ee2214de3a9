#pragma once

#include "calendar.h"
#include "calendarevent.h"

#include <QString>
#include <QUrl>

#include <optional>

// The time line of an event row: "All day", "All day · 3 days", "9:00 AM – 10:00 AM", or both
// dates with their times when the event does not start and end on one day.
QString rowTimeText(const CalendarEvent &event, const Calendar &calendar);

// Category (unless the plain "Event"), location and instructor, joined by " · "; absent when
// there is nothing to say.
std::optional<QString> rowDetailText(const CalendarEvent &event);

// "Today, Mar 4" for today, otherwise the full date (Tuesday, March 4, 2025).
QString dayHeaderText(Instant date, Instant now, const Calendar &calendar);

// The address of the event's link attachment, when its text parses as a URL.
std::optional<QUrl> attachmentLink(const CalendarEvent &event);

// The event lives in Google Calendar with no local change waiting.
bool isSyncedWithGoogle(const CalendarEvent &event);
