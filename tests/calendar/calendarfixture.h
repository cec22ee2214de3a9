#pragma once

// Shared fixture of the calendar view tests: New York dates, events and an event store on
// preferences kept in memory.
#include "calendar.h"
#include "calendarevent.h"
#include "eventstore.h"
#include "memorypreferencebackend.h"
#include "preferences.h"

#include <QTemporaryDir>

#include <memory>

namespace CalendarFixture {

inline const Calendar &newYork()
{
    static const Calendar calendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));
    return calendar;
}

inline Instant at(QDate date, QTime time = QTime(0, 0))
{
    return newYork().instantAt(date, time);
}

inline CalendarEvent timedEvent(const QString &title, Instant start, Instant end)
{
    static int counter = 0;
    CalendarEvent event;
    event.id = QStringLiteral("00000000-0000-0000-0000-%1").arg(++counter, 12, 10, QLatin1Char('0'));
    event.title = title;
    event.date = newYork().startOfDay(start);
    event.startTime = start;
    event.endTime = end;
    return event;
}

inline CalendarEvent timedEvent(const QString &title, QDate day, QTime start, QTime end)
{
    return timedEvent(title, at(day, start), at(end < start ? day.addDays(1) : day, end));
}

inline CalendarEvent allDayEvent(const QString &title, QDate first, int days = 1)
{
    CalendarEvent event = timedEvent(title, at(first), at(first.addDays(days)));
    event.isAllDay = true;
    return event;
}

// An event store in New York on preferences of its own, holding `events`.
struct Store
{
    explicit Store(const QList<CalendarEvent> &events = {})
        : preferences(std::make_unique<MemoryPreferenceBackend>()),
          store(preferences, nullptr, recovery.filePath(QStringLiteral("Recovered")))
    {
        store.setCalendar(newYork());
        if (!events.isEmpty())
            store.setEvents(events);
    }

    QTemporaryDir recovery;
    Preferences preferences;
    EventStore store;
};

}
