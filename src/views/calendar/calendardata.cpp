#include "calendardata.h"

#include "calendarformat.h"
#include "eventstore.h"
#include "palette.h"
#include "preferences.h"

#include <algorithm>

namespace CalendarPreferences {

bool flag(const Preferences &preferences, const QString &key)
{
    return preferences.optionalBool(key).value_or(true);
}

}

StoreWatch::StoreWatch(QObject *parent) : QObject(parent) {}

bool StoreWatch::setStore(EventStore *store)
{
    if (store == m_store)
        return false;
    for (const auto &connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_store = store;
    if (store) {
        m_connections << connect(store, &EventStore::eventsChanged, this, &StoreWatch::changed);
        m_connections << connect(&store->preferences(), &Preferences::valueChanged, this, [this](const QString &key) {
            using namespace CalendarPreferences;
            if (key == showHolidaysKey || key == showGoogleEventsKey || key == showAppleEventsKey)
                emit changed();
        });
    }
    emit changed();
    return true;
}

QList<Holiday> shownHolidays(const EventStore &store, Instant day)
{
    if (!CalendarPreferences::flag(store.preferences(), CalendarPreferences::showHolidaysKey))
        return {};
    return holidaysForDay(day, store.calendar());
}

QVariantMap eventSummary(const CalendarEvent &event, const EventStore &store)
{
    return {
            {QStringLiteral("eventId"), event.id},
            {QStringLiteral("title"), event.title},
            {QStringLiteral("colour"), colourNamed(event.colorName)},
            {QStringLiteral("isAllDay"), event.isAllDay},
            {QStringLiteral("startText"), CalendarFormat::shortTime(event.startTime, store.calendar())},
    };
}

std::optional<CalendarEvent> findEvent(const EventStore &store, const QString &eventId)
{
    const auto &events = store.events();
    const auto it = std::find_if(events.cbegin(), events.cend(),
                                 [&](const CalendarEvent &event) { return event.id == eventId; });
    if (it == events.cend())
        return std::nullopt;
    return *it;
}

QDateTime toQml(Instant t)
{
    return t.toDateTime();
}

std::optional<Instant> fromQml(const QDateTime &date)
{
    if (!date.isValid())
        return std::nullopt;
    return Instant::fromDateTime(date);
}

bool assignFromQml(Instant &target, const QDateTime &date)
{
    const auto instant = fromQml(date);
    if (!instant || *instant == target)
        return false;
    target = *instant;
    return true;
}
