#include "applecalendarsync.h"
#include "clock.h"
#include "eventstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "vdircalendardatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

const QTimeZone kZone("America/New_York");
const Calendar kCalendar(kZone, 1, QLocale(QLocale::English, QLocale::UnitedStates));
const Instant kNow = kCalendar.instantAt(QDate(2024, 3, 1), QTime(12, 0));

QByteArray utcStamp(Instant t)
{
    return t.toDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

// `count` event files in one calendar: single events of an hour spread over the import window,
// every tenth a weekly event without end that starts somewhere in the window.
void writeCalendar(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QRandomGenerator random(42);
    const Instant windowStart = kCalendar.addDays(kNow, -30);
    for (int i = 0; i < count; ++i) {
        const Instant start = kCalendar.addDays(windowStart, random.bounded(395)).addingSeconds(random.bounded(40) * 900);
        const QByteArray uid = "bench-" + QByteArray::number(i);
        QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Bench//EN\r\nBEGIN:VEVENT\r\nUID:" + uid
                + "\r\nDTSTAMP:20240101T000000Z\r\nDTSTART:" + utcStamp(start) + "\r\nDTEND:"
                + utcStamp(start.addingSeconds(3600)) + "\r\nSUMMARY:Event " + QByteArray::number(i)
                + "\r\nDESCRIPTION:Notes for event " + QByteArray::number(i) + "\r\nLOCATION:Room "
                + QByteArray::number(i % 100) + "\r\n";
        if (i % 10 == 0)
            text += "RRULE:FREQ=WEEKLY\r\n";
        text += "END:VEVENT\r\nEND:VCALENDAR\r\n";
        QFile file(QDir(folder).filePath(QString::fromLatin1(uid) + QStringLiteral(".ics")));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write the benchmark calendar");
    }
}

// A vdir root with the generated calendar, and the stores an import pass needs, opened afresh.
struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<VdirCalendarDatabase> database;
    std::unique_ptr<EventStore> store;
    std::unique_ptr<AppleCalendarSync> sync;

    explicit Fixture(int count)
    {
        writeCalendar(dir.filePath(QStringLiteral("calendars/Local/bench")), count);
        QFile answer(dir.filePath(QStringLiteral("access")));
        if (!answer.open(QIODevice::WriteOnly) || answer.write("granted\n") != 8)
            qFatal("cannot write the access answer");
    }

    // An empty store and a database that has read nothing yet.
    void open()
    {
        sync.reset();
        store.reset();
        database.reset();
        preferences.reset();
        QFile::remove(dir.filePath(QStringLiteral("prefs.sqlite")));
        preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(dir.filePath(QStringLiteral("prefs.sqlite"))));
        preferences->setBool(AppleCalendarSync::enabledKey, true);
        database = std::make_unique<VdirCalendarDatabase>(dir.filePath(QStringLiteral("calendars")),
                                                          dir.filePath(QStringLiteral("access")), kZone);
        store = std::make_unique<EventStore>(*preferences, nullptr, dir.filePath(QStringLiteral("Recovered")));
        store->setCalendar(kCalendar);
        sync = std::make_unique<AppleCalendarSync>(*preferences, *database, kCalendar);
        sync->attach(*store);
    }
};

void BM_AppleRefresh(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        fixture.open();
        state.ResumeTiming();
        QCoro::waitFor(fixture.sync->refresh());
    }
    state.counters["events"] = double(fixture.store->events().size());
}

// The pass that runs whenever the window becomes active: nothing changed, nothing is saved.
void BM_AppleRefreshUnchanged(benchmark::State &state)
{
    Fixture fixture(int(state.range(0)));
    fixture.open();
    QCoro::waitFor(fixture.sync->refresh());
    for (auto _ : state)
        QCoro::waitFor(fixture.sync->refresh());
    state.counters["events"] = double(fixture.store->events().size());
}

}

BENCHMARK(BM_AppleRefresh)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5);
BENCHMARK(BM_AppleRefreshUnchanged)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(5);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    FixedClock clock(kNow);
    Clock::setShared(&clock);
    const int result = runBenchmarks(argc, argv);
    Clock::setShared(nullptr);
    return result;
}
