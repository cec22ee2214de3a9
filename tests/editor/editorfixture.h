#pragma once

#include "editortestsupport.h"
#include "eventstore.h"
#include "notificationscheduler.h"

#include <QDateTime>
#include <QObject>
#include <QVariantMap>
#include <QtQml/qqmlregistration.h>

#include <memory>

// An event store in memory for the editor's QML tests, with a notification center that asks
// nobody, installed as the shared one while the fixture lives.
//   EditorFixture { id: fixture }
//   EditEventView { store: fixture.store }
class EditorFixture : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(EventStore *store READ store CONSTANT)

public:
    explicit EditorFixture(QObject *parent = nullptr);
    ~EditorFixture() override;

    EventStore *store() const { return m_store.get(); }

    // Stores a timed event and returns its id.
    Q_INVOKABLE QString addEvent(const QString &title, const QDateTime &start, const QDateTime &end);
    // Stores a daily series of `days` events and returns the id of its first.
    Q_INVOKABLE QString addDailySeries(const QString &title, const QDateTime &start, const QDateTime &end, int days);
    Q_INVOKABLE int count() const { return int(m_store->events().size()); }
    // { title, location, instructor, colorName, reminderMinutes } of a stored event; empty when gone.
    Q_INVOKABLE QVariantMap event(const QString &id) const;
    Q_INVOKABLE QStringList titles() const;

private:
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<EventStore> m_store;
    CountingNotificationCenter m_center;
    std::unique_ptr<NotificationScheduler> m_scheduler;
};
