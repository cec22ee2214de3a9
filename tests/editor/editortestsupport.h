#pragma once

#include "calendarevent.h"
#include "memorypreferencebackend.h"
#include "notificationcenter.h"
#include "uuid.h"

// What the editor's tests stand on besides preferences in memory: a notification center that
// only counts the permission requests, and stored events.

class CountingNotificationCenter final : public NotificationCenter
{
public:
    int authorizationRequests = 0;

    QCoro::Task<QList<NotificationRequest>> pendingRequests() override { co_return QList<NotificationRequest>(); }
    void removePendingRequests(const QStringList &) override {}
    QCoro::Task<bool> add(NotificationRequest) override { co_return true; }
    QCoro::Task<NotificationAuthorization> authorizationStatus() override
    {
        co_return NotificationAuthorization::Denied;
    }
    QCoro::Task<bool> requestAuthorization() override
    {
        ++authorizationRequests;
        co_return false;
    }
};

// A stored timed or all-day event as the editor finds it.
inline CalendarEvent storedEvent(const QString &title, Instant day, Instant start, Instant end, bool isAllDay = false)
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = title;
    event.date = day;
    event.startTime = start;
    event.endTime = end;
    event.isAllDay = isAllDay;
    return event;
}
