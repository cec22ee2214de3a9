#include "benchmain.h"
#include "clock.h"
#include "eventstore.h"
#include "fakegooglecalendar.h"
#include "fakegooglesignin.h"
#include "googlesync.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <QCoro/QCoroTask>

#include <benchmark/benchmark.h>

namespace {

const Calendar kCalendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));

// The in-process fake Google Calendar holding `count` events spread over the window, listed in
// pages of 250, and a store synchronising with it.
struct Fixture
{
    QTemporaryDir dir;
    FakeGoogleCalendar google;
    FakeGoogleSignInClient signIn{FakeGoogleSignInClient::user(QStringLiteral("me@example.com"))};
    GoogleCalendarAPI api{google.rootUrl(), &signIn};
    GoogleSync sync{api, signIn};
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<EventStore> store;

    explicit Fixture(int count)
    {
        for (int i = 0; i < count; ++i) {
            const QString day = QDate(2024, 3, 20).addDays(i % 300).toString(Qt::ISODate);
            google.addEvent(FakeGoogleCalendar::timedEvent(QStringLiteral("Event %1").arg(i),
                                                           day + QStringLiteral("T15:00:00Z"),
                                                           day + QStringLiteral("T16:00:00Z")));
        }
        reset();
    }
    void reset()
    {
        store.reset();
        preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(dir.filePath(QStringLiteral("prefs.sqlite"))));
        store = std::make_unique<EventStore>(*preferences, nullptr, dir.filePath(QStringLiteral("r")));
        store->setCalendar(kCalendar);
        store->setSignInClient(&signIn);
        store->setSynchroniser(&sync);
        store->setEvents({});
    }
};

// One pass whose listing is already in the store: nothing changes and nothing is saved.
void BM_SyncPullMerge(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    QCoro::waitFor(fixture.store->sync());
    for (auto _ : state)
        QCoro::waitFor(fixture.store->sync());
    state.counters["events"] = double(fixture.store->events().size());
}

// The first pull into an empty store.
void BM_SyncFirstPull(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        fixture.store->setEvents({});
        state.ResumeTiming();
        QCoro::waitFor(fixture.store->sync());
    }
    state.counters["events"] = double(fixture.store->events().size());
}

}

BENCHMARK(BM_SyncPullMerge)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SyncFirstPull)->Arg(5000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    FixedClock clock(kCalendar.instantAt(QDate(2024, 3, 13), QTime(10, 0)));
    Clock::setShared(&clock);
    const int result = runBenchmarks(argc, argv);
    Clock::setShared(nullptr);
    return result;
}
