#include "eventcodec.h"
#include "eventstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "uuid.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

const Calendar kCalendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));

// Events spread over three years: timed and all-day, some linked to Google or the local calendar,
// some in series, with notes, links and reminders of varied length.
QList<CalendarEvent> variedEvents(int count)
{
    QRandomGenerator random(42);
    const QDate first(2023, 1, 1);
    QList<CalendarEvent> events;
    events.reserve(count);
    for (int i = 0; i < count; ++i) {
        CalendarEvent event;
        event.id = Uuid::create();
        event.title = QStringLiteral("Event %1 – planning session").arg(i);
        const QDate day = first.addDays(random.bounded(3 * 365));
        event.isAllDay = random.bounded(8) == 0;
        event.startTime = event.isAllDay ? kCalendar.startOfDay(day)
                                         : kCalendar.instantAt(day, QTime(random.bounded(7, 20), random.bounded(4) * 15));
        event.endTime = event.isAllDay ? kCalendar.startOfDay(day.addDays(1)) : event.startTime.addingSeconds(3600);
        event.date = kCalendar.startOfDay(event.startTime);
        event.notes = QString(random.bounded(200), QLatin1Char('n'));
        if (random.bounded(3) == 0) {
            event.googleEventId = QStringLiteral("g%1").arg(i);
            event.googleUpdated = QStringLiteral("2024-03-01T10:00:00.000Z");
            event.isDirty = false;
        } else if (random.bounded(5) == 0) {
            event.appleEventId = QStringLiteral("Home/personal/%1.ics").arg(i);
        }
        if (random.bounded(4) == 0)
            event.attachment = EventAttachment{QStringLiteral("Agenda"), QStringLiteral("https://example.com/agenda")};
        if (random.bounded(6) == 0)
            event.seriesId = Uuid::create();
        event.location = QStringLiteral("Room %1").arg(random.bounded(100));
        event.reminderMinutes = random.bounded(2) ? QList<int>{15} : QList<int>{};
        events.append(event);
    }
    return events;
}

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<EventStore> store;

    explicit Fixture(int count)
    {
        openPreferences();
        EventStore(*preferences, nullptr, dir.filePath(QStringLiteral("r"))).setEvents(variedEvents(count));
        openStore();
    }
    void openPreferences()
    {
        store.reset();
        preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(dir.filePath(QStringLiteral("prefs.sqlite"))));
    }
    void openStore()
    {
        store = std::make_unique<EventStore>(*preferences, nullptr, dir.filePath(QStringLiteral("r")));
        store->setCalendar(kCalendar);
    }
};

void BM_EventStoreAdd(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    const CalendarEvent event = variedEvents(1).constFirst();
    // The store grows by one event an iteration: a few hundred on top of the fixture at most.
    for (auto _ : state)
        fixture.store->add(event);
}

void BM_EventStoreUpdate(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    CalendarEvent event = fixture.store->events()[fixture.store->events().size() / 2];
    int n = 0;
    for (auto _ : state) {
        event.title = QStringLiteral("Renamed %1").arg(++n);
        fixture.store->update(event);
    }
}

void BM_EventStoreDelete(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        const CalendarEvent victim = fixture.store->events()[fixture.store->events().size() / 2];
        fixture.store->remove(victim);
        state.PauseTiming();
        fixture.store->add(victim);
        state.ResumeTiming();
    }
}

void BM_EventStoreLoad(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        EventStore store(*fixture.preferences, nullptr, fixture.dir.filePath(QStringLiteral("r")));
        benchmark::DoNotOptimize(store.events().size());
    }
}

void BM_VisibleEventsForMonth(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    const Instant gridStart = kCalendar.instantAt(QDate(2024, 2, 25), QTime(12, 0));
    for (auto _ : state) {
        for (int day = 0; day < 42; ++day)
            benchmark::DoNotOptimize(fixture.store->visibleEventsForDay(kCalendar.addDays(gridStart, day)));
    }
}

// The share of a change that is encoding alone.
void BM_EventCodecEncode(benchmark::State &state)
{
    const QList<CalendarEvent> events = variedEvents(int(state.range(0)));
    qsizetype bytes = 0;
    for (auto _ : state)
        bytes = EventCodec::encode(events)->size();
    state.counters["bytes"] = double(bytes);
}

}

BENCHMARK(BM_EventCodecEncode)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventStoreAdd)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventStoreUpdate)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventStoreDelete)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EventStoreLoad)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VisibleEventsForMonth)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
