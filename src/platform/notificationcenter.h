#pragma once

#include "instant.h"

#include <QFlags>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <functional>

// A local notification waiting for its time: shown once at `fireTime`.
struct NotificationRequest
{
    QString identifier; // adding a request with the identifier of a pending one replaces it
    QString title;
    QString body;
    bool playsDefaultSound = true;
    Instant fireTime;

    bool operator==(const NotificationRequest &) const = default;
};

enum class NotificationAuthorization { NotDetermined, Denied, Authorized, Provisional };

// How a notification is presented while the application is in front.
enum class NotificationPresentation {
    Badge = 1,
    Sound = 2,
    List = 8,
    Banner = 16,
};
Q_DECLARE_FLAGS(NotificationPresentationOptions, NotificationPresentation)
Q_DECLARE_OPERATORS_FOR_FLAGS(NotificationPresentationOptions)

// Asked before a notification is shown while the application is in front; the answer decides
// whether and how it is shown. Without a delegate such a notification is not shown.
class NotificationCenterDelegate : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    virtual QCoro::Task<NotificationPresentationOptions> willPresent(NotificationRequest request) = 0;
};

// The platform's local notifications: pending requests with one-shot times, the permission to
// show them, and the in-front presentation callback.
class NotificationCenter : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QCoro::Task<QList<NotificationRequest>> pendingRequests() = 0;
    virtual void removePendingRequests(const QStringList &identifiers) = 0;
    // False when the center refuses the request.
    virtual QCoro::Task<bool> add(NotificationRequest request) = 0;

    virtual QCoro::Task<NotificationAuthorization> authorizationStatus() = 0;
    // Asks for permission to show alerts and play sounds; true when granted.
    virtual QCoro::Task<bool> requestAuthorization() = 0;

    void setDelegate(NotificationCenterDelegate *delegate) { m_delegate = delegate; }
    NotificationCenterDelegate *delegate() const { return m_delegate; }

    // Tells the center whether the application's window is in front; the application root
    // installs a check of the window state. Without one the application counts as behind.
    void setInFrontCheck(std::function<bool()> isInFront) { m_isInFront = std::move(isInFront); }
    bool isApplicationInFront() const { return m_isInFront && m_isInFront(); }

    // The center the application uses: the desktop's notification service, with its pending
    // requests kept in the application data directory; created on first use unless a test
    // installed another.
    static NotificationCenter &shared();
    static void setShared(NotificationCenter *center); // nullptr: the default again

private:
    QPointer<NotificationCenterDelegate> m_delegate;
    std::function<bool()> m_isInFront;
};
