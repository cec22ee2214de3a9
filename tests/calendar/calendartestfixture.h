#pragma once

#include "eventstore.h"
#include "preferences.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QtQml/qqmlregistration.h>

#include <memory>

// An event store on preferences held in memory, for the calendar views' QML tests.
//   CalendarTestFixture { id: fixture }
//   MacCalendarView { store: fixture.store }
class CalendarTestFixture : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(EventStore *store READ store CONSTANT)

public:
    explicit CalendarTestFixture(QObject *parent = nullptr);
    ~CalendarTestFixture() override;

    EventStore *store() const { return m_store.get(); }

    // Stores an event and returns its id; an all-day event runs from the start of `start`'s day
    // for `days` days.
    Q_INVOKABLE QString addEvent(const QString &title, const QDateTime &start, const QDateTime &end);
    Q_INVOKABLE QString addAllDayEvent(const QString &title, const QDateTime &start, int days);
    Q_INVOKABLE QStringList titles() const;
    Q_INVOKABLE void setFlag(const QString &key, bool on);

private:
    QTemporaryDir m_recovery;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<EventStore> m_store;
};
