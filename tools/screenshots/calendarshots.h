#pragma once

#include "calendar.h"
#include "calendarevent.h"

#include <QList>
#include <QString>

class QQuickWindow;

// Fixture events of the calendar screen's shots: March 2024 around the pinned today (Wednesday
// 13 March, 10:00 New York) with holidays, all-day and timed events, an overflowing day, a
// selected day other than today, and a busy Thursday 14 March for the day timeline.
QList<CalendarEvent> calendarFixtureEvents(const Calendar &calendar);

// Puts the calendar screen of a loaded root window into Month mode on 15 March, or Day mode on
// the busy 14 March.
void showFixtureMonth(QQuickWindow *window, const Calendar &calendar);
void showFixtureDay(QQuickWindow *window, const Calendar &calendar);
// Today in Day mode, with the current-time line.
void showFixtureToday(QQuickWindow *window, const Calendar &calendar);
// The busy day scrolled to midnight, where the overnight event and the small hours show.
void showFixtureNight(QQuickWindow *window, const Calendar &calendar);
