#pragma once

#include "calendar.h"
#include "calendarevent.h"
#include "notificationcenter.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class Preferences;

// Runs a callback once after a pause; starting it again drops the callback still waiting.
class PauseTimer
{
public:
    virtual ~PauseTimer() = default;
    virtual void start(std::chrono::milliseconds pause, std::function<void()> elapsed) = 0;
};

// Turns the events' reminders into the notification center's pending requests: after a short
// pause it replaces every request of the application with the 60 soonest reminders. It is also
// the center's delegate, so that reminders show while the application is in front.
class NotificationScheduler : public NotificationCenterDelegate
{
    Q_OBJECT

public:
    // Every request this scheduler makes has an identifier starting with this.
    static inline const QString prefix = QStringLiteral("dayloom.");
    // Minutes of the reminder of events without their own; below 1: none.
    static inline const QString defaultReminderKey = QStringLiteral("dayloom.defaultReminder");
    static constexpr std::chrono::milliseconds pause{700};
    static constexpr int maximumRequests = 60;

    // Without `timer` a QTimer measures the pause.
    NotificationScheduler(NotificationCenter &center, Preferences &preferences, const Clock &clock,
                          const Calendar &calendar, std::unique_ptr<PauseTimer> timer = nullptr,
                          QObject *parent = nullptr);
    ~NotificationScheduler() override;

    // The application's scheduler, created on first use. It works with the shared notification
    // center, the standard preferences, the shared clock and the user's current calendar, looked
    // up at every rebuild.
    static NotificationScheduler &shared();
    static void setShared(NotificationScheduler *scheduler); // nullptr: the default again

    // Rebuilds the reminders from `events` once 0.7 s have passed without another call; a newer
    // call replaces the list. Returns at once, so callers may call it on every change.
    void reschedule(QList<CalendarEvent> events);

    // Removes every pending request whose identifier starts with `prefix` and, with permission,
    // adds the reminders of `events` that lie ahead, at most the 60 soonest.
    QCoro::Task<> rebuild(QList<CalendarEvent> events);

    // Reminders in front of the application show as banner, in the list and with sound.
    QCoro::Task<NotificationPresentationOptions> willPresent(NotificationRequest request) override;

private:
    explicit NotificationScheduler(QObject *parent);

    NotificationCenter &center() const;
    Preferences &preferences() const;
    const Clock &clock() const;
    Calendar calendar() const;

    // Each null or empty member stands for the shared platform object of that kind.
    NotificationCenter *m_center = nullptr;
    Preferences *m_preferences = nullptr;
    const Clock *m_clock = nullptr;
    std::optional<Calendar> m_calendar;
    std::unique_ptr<PauseTimer> m_timer;
};
