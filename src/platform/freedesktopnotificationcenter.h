#pragma once

#include "notificationcenter.h"

#include <QDBusConnection>
#include <QTimer>

class Clock;
class QDBusMessage;

// The notification center of a Linux desktop. Pending requests and the answer to the permission
// request are kept in the center's own JSON file, so that they survive a restart; while the
// application runs, a timer shows each request at its time through the session bus's
// org.freedesktop.Notifications service. A request whose time passed while the application was
// not running is shown at the next start when it is less than 12 hours late, and dropped
// otherwise. Permission is granted when a notification service answers on the bus.
class FreedesktopNotificationCenter final : public NotificationCenter
{
    Q_OBJECT

public:
    static constexpr double kLatenessLimitSeconds = 12 * 60 * 60;

    // `clock` nullptr follows Clock::shared(). A file that cannot be read is moved aside.
    explicit FreedesktopNotificationCenter(const QString &storePath, QObject *parent = nullptr,
                                           const Clock *clock = nullptr,
                                           const QDBusConnection &bus = QDBusConnection::sessionBus());
    ~FreedesktopNotificationCenter() override;

    // "notifications.json" in the application data directory.
    static QString defaultStorePath();

    QCoro::Task<QList<NotificationRequest>> pendingRequests() override;
    void removePendingRequests(const QStringList &identifiers) override;
    QCoro::Task<bool> add(NotificationRequest request) override;
    QCoro::Task<NotificationAuthorization> authorizationStatus() override;
    QCoro::Task<bool> requestAuthorization() override;

    // Shows every request whose time has come and waits for the next. Run by the timer; tests
    // call it after moving their clock.
    void deliverDueRequests();

private:
    const Clock &clock() const;
    void load();
    void moveAside(const QString &reason);
    void scheduleSave();
    void save();
    void armTimer();
    void setAuthorization(NotificationAuthorization authorization);
    QCoro::Task<> present(NotificationRequest request);
    QDBusMessage notifyCall(const NotificationRequest &request, bool withSound) const;

    QString m_storePath;
    const Clock *m_clock;
    QDBusConnection m_bus;
    QList<NotificationRequest> m_pending;
    NotificationAuthorization m_authorization = NotificationAuthorization::NotDetermined;
    QTimer m_deliveryTimer;
    bool m_saveScheduled = false;
    bool m_canWrite = true; // false while an unreadable file could not be moved out of the way
};
