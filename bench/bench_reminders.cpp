#include "clock.h"
#include "notificationscheduler.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

// Keeps requests in memory and grants permission, so that only the scheduler's work is measured.
class MemoryNotificationCenter final : public NotificationCenter
{
public:
    QCoro::Task<QList<NotificationRequest>> pendingRequests() override { co_return std::as_const(m_pending); }
    void removePendingRequests(const QStringList &identifiers) override
    {
        m_pending.removeIf([&](const NotificationRequest &r) { return identifiers.contains(r.identifier); });
    }
    QCoro::Task<bool> add(NotificationRequest request) override
    {
        m_pending.append(std::move(request));
        co_return true;
    }
    QCoro::Task<NotificationAuthorization> authorizationStatus() override
    {
        co_return NotificationAuthorization::Authorized;
    }
    QCoro::Task<bool> requestAuthorization() override { co_return true; }

    qsizetype count() const { return m_pending.size(); }

private:
    QList<NotificationRequest> m_pending;
};

// `count` events over the coming year without reminders of their own, every tenth all-day.
QList<CalendarEvent> eventsAhead(const Calendar &calendar, Instant now, int count)
{
    QList<CalendarEvent> events;
    events.reserve(count);
    for (int i = 0; i < count; ++i) {
        CalendarEvent event;
        event.id = QStringLiteral("00000000-0000-4000-8000-%1").arg(i, 12, 10, QLatin1Char('0'));
        event.title = QStringLiteral("Event %1").arg(i);
        event.isAllDay = i % 10 == 0;
        const Instant day = calendar.addDays(calendar.startOfDay(now), (i * 7919) % 365);
        event.startTime = event.isAllDay ? day : day.addingSeconds(8 * 3600 + (i % 40) * 900);
        event.endTime = event.startTime.addingSeconds(event.isAllDay ? 86400 : 3600);
        event.date = day;
        events.append(event);
    }
    return events;
}

// One rebuild over N events with a 15-minute default reminder, up to handing the 60 soonest
// requests to the center.
void BM_ReminderRebuild(benchmark::State &state)
{
    QTemporaryDir dir;
    Preferences preferences(std::make_unique<SqlitePreferenceBackend>(dir.filePath(QStringLiteral("prefs.sqlite"))));
    preferences.setInteger(NotificationScheduler::defaultReminderKey, 15);
    const Calendar calendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));
    const FixedClock clock(calendar.instantAt(QDate(2024, 3, 5), QTime(12, 0)));
    MemoryNotificationCenter center;
    NotificationScheduler scheduler(center, preferences, clock, calendar);
    const QList<CalendarEvent> events = eventsAhead(calendar, clock.now(), int(state.range(0)));

    for (auto _ : state)
        QCoro::waitFor(scheduler.rebuild(events));
    if (center.count() != NotificationScheduler::maximumRequests)
        state.SkipWithError("the rebuild did not hand over 60 requests");
}
BENCHMARK(BM_ReminderRebuild)->Arg(10000)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
