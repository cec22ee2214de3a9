#include "notificationscheduler.h"

#include "clock.h"
#include "preferences.h"
#include "reminderchoices.h"
#include "uuid.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>
#include <vector>

namespace {

class QtPauseTimer final : public PauseTimer
{
public:
    QtPauseTimer()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            // Dropped before it runs, so that the event list it holds is released afterwards.
            if (auto elapsed = std::exchange(m_elapsed, {}))
                elapsed();
        });
    }

    void start(std::chrono::milliseconds pause, std::function<void()> elapsed) override
    {
        m_elapsed = std::move(elapsed);
        m_timer.start(pause);
    }

private:
    QTimer m_timer;
    std::function<void()> m_elapsed;
};

// One reminder of one event. `order` is its position in event-list order, so that reminders
// firing at the same time keep that order.
struct Reminder
{
    Instant fireTime;
    qsizetype order;
    const CalendarEvent *event;
    qint64 minutes;
};

// Timed events are announced relative to their start; all-day events relative to 09:00 on their
// day (the first existing time after 09:00 when the clock skips it).
Instant baseTime(const CalendarEvent &event, const Calendar &calendar)
{
    if (!event.isAllDay)
        return event.startTime;
    const QDate day = calendar.dateOf(event.startTime);
    return day.isValid() ? calendar.instantAt(day, QTime(9, 0)) : event.startTime;
}

// The reminders of `events` that fire after `now`, soonest first, at most `limit`.
std::vector<Reminder> soonestReminders(const QList<CalendarEvent> &events, qint64 defaultMinutes, Instant now,
                                       const Calendar &calendar, int limit)
{
    const QList<int> defaults = defaultMinutes >= 1 ? QList<int>{int(std::min<qint64>(defaultMinutes, INT_MAX))}
                                                    : QList<int>{};
    std::vector<Reminder> kept;
    for (const CalendarEvent &event : events) {
        const QList<int> &minutes = event.reminderMinutes.isEmpty() ? defaults : event.reminderMinutes;
        if (minutes.isEmpty())
            continue;
        const Instant base = baseTime(event, calendar);
        for (const int m : minutes) {
            const Instant fireTime = base.addingSeconds(-60.0 * m);
            if (fireTime > now)
                kept.push_back({fireTime, qsizetype(kept.size()), &event, m});
        }
    }
    const auto count = std::min(kept.size(), size_t(std::max(limit, 0)));
    std::partial_sort(kept.begin(), kept.begin() + qsizetype(count), kept.end(), [](const auto &a, const auto &b) {
        return a.fireTime != b.fireTime ? a.fireTime < b.fireTime : a.order < b.order;
    });
    kept.resize(count);
    return kept;
}

QString bodyOf(const Reminder &reminder, const Calendar &calendar)
{
    const CalendarEvent &event = *reminder.event;
    const QString label = reminderLabel(reminder.minutes);
    QString body = event.isAllDay ? QStringLiteral("All day")
                                  : QStringLiteral("Starts at ") + calendar.formatTime(event.startTime);
    body += QStringLiteral(" - in ") + label;
    if (!event.location.isEmpty())
        body += QStringLiteral(" - ") + event.location;
    return body;
}

NotificationRequest requestFor(const Reminder &reminder, const Calendar &calendar)
{
    const CalendarEvent &event = *reminder.event;
    const QString canonicalId = Uuid::normalized(event.id);
    NotificationRequest request;
    request.identifier = NotificationScheduler::prefix + (canonicalId.isEmpty() ? event.id : canonicalId)
            + QLatin1Char('.') + QString::number(reminder.minutes);
    request.title = event.title.isEmpty() ? QStringLiteral("Event") : event.title;
    request.body = bodyOf(reminder, calendar);
    request.playsDefaultSound = true;
    // The trigger names a wall-clock second, so fractions of a second do not survive it.
    request.fireTime = Instant::fromSeconds(std::floor(reminder.fireTime.seconds));
    return request;
}

bool isGranted(NotificationAuthorization authorization)
{
    return authorization == NotificationAuthorization::Authorized
            || authorization == NotificationAuthorization::Provisional;
}

QPointer<NotificationScheduler> s_installed;
QPointer<NotificationScheduler> s_default;

}

NotificationScheduler::NotificationScheduler(NotificationCenter &center, Preferences &preferences, const Clock &clock,
                                             const Calendar &calendar, std::unique_ptr<PauseTimer> timer,
                                             QObject *parent)
    : NotificationCenterDelegate(parent),
      m_center(&center),
      m_preferences(&preferences),
      m_clock(&clock),
      m_calendar(calendar),
      m_timer(timer ? std::move(timer) : std::make_unique<QtPauseTimer>())
{
}

NotificationScheduler::NotificationScheduler(QObject *parent)
    : NotificationCenterDelegate(parent), m_timer(std::make_unique<QtPauseTimer>())
{
}

NotificationScheduler::~NotificationScheduler() = default;

NotificationScheduler &NotificationScheduler::shared()
{
    if (s_installed)
        return *s_installed;
    // Owned by the application object, so that its timer ends with the event loop.
    if (!s_default)
        s_default = new NotificationScheduler(QCoreApplication::instance());
    return *s_default;
}

void NotificationScheduler::setShared(NotificationScheduler *scheduler)
{
    s_installed = scheduler;
}

NotificationCenter &NotificationScheduler::center() const
{
    return m_center ? *m_center : NotificationCenter::shared();
}

Preferences &NotificationScheduler::preferences() const
{
    return m_preferences ? *m_preferences : Preferences::standard();
}

const Clock &NotificationScheduler::clock() const
{
    return m_clock ? *m_clock : Clock::shared();
}

Calendar NotificationScheduler::calendar() const
{
    return m_calendar ? *m_calendar : Calendar::current();
}

void NotificationScheduler::reschedule(QList<CalendarEvent> events)
{
    // The timer belongs to this object, so a callback can only run while the scheduler exists.
    m_timer->start(pause, [this, events = std::move(events)] { rebuild(events); });
}

QCoro::Task<> NotificationScheduler::rebuild(QList<CalendarEvent> events)
{
    QPointer<NotificationScheduler> self(this);
    const Calendar calendar = this->calendar();
    const std::vector<Reminder> reminders = soonestReminders(
            events, preferences().integer(defaultReminderKey), clock().now(), calendar, maximumRequests);

    const QList<NotificationRequest> pending = co_await center().pendingRequests();
    if (!self)
        co_return;
    QStringList ours;
    for (const NotificationRequest &request : pending) {
        if (request.identifier.startsWith(prefix))
            ours.append(request.identifier);
    }
    center().removePendingRequests(ours);
    if (reminders.empty())
        co_return;

    const NotificationAuthorization authorization = co_await center().authorizationStatus();
    if (!self || !isGranted(authorization))
        co_return;
    for (const Reminder &reminder : reminders) {
        // A request the center refuses is skipped.
        co_await center().add(requestFor(reminder, calendar));
        if (!self)
            co_return;
    }
}

QCoro::Task<NotificationPresentationOptions> NotificationScheduler::willPresent(NotificationRequest)
{
    co_return NotificationPresentation::Banner | NotificationPresentation::List | NotificationPresentation::Sound;
}
