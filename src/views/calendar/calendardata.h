#pragma once

#include "calendarevent.h"
#include "holidays.h"

#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include "eventstore.h"
class Preferences;

// The show settings every calendar view observes. A missing key reads as on.
namespace CalendarPreferences {
inline const QString showHolidaysKey = QStringLiteral("dayloom.showHolidays");
inline const QString showSidePanelsKey = QStringLiteral("dayloom.showSidePanels");
inline const QString showGoogleEventsKey = QStringLiteral("dayloom.showGoogleEvents");
inline const QString showAppleEventsKey = QStringLiteral("dayloom.showAppleEvents");

bool flag(const Preferences &preferences, const QString &key);
}

// Tells a calendar view when its day data may have changed: the store's events or one of the
// show settings that filter them.
class StoreWatch : public QObject
{
    Q_OBJECT

public:
    explicit StoreWatch(QObject *parent = nullptr);

    EventStore *store() const { return m_store; }
    // Returns false when `store` is already watched.
    bool setStore(EventStore *store);

signals:
    void changed();

private:
    QPointer<EventStore> m_store;
    QList<QMetaObject::Connection> m_connections;
};

// The holidays of the day holding `day`, or none while holidays are switched off.
QList<Holiday> shownHolidays(const EventStore &store, Instant day);

// An event as the views read it: eventId, title, colour, isAllDay and startText (9:00 AM).
QVariantMap eventSummary(const CalendarEvent &event, const EventStore &store);

// The stored event with this id, if any.
std::optional<CalendarEvent> findEvent(const EventStore &store, const QString &eventId);

// Instants travel to QML as dates; an invalid date reads as absent.
QDateTime toQml(Instant t);
std::optional<Instant> fromQml(const QDateTime &date);
// Sets `target` to a date from QML; false when the date is invalid or already set.
bool assignFromQml(Instant &target, const QDateTime &date);
