// The calendar screen's speed: the day timeline's layout, and the month screen redrawing after a
// store change and starting up, rendered offscreen with a pinned clock in New York.
#include "application.h"
#include "approot.h"
#include "clock.h"
#include "daytimeline.h"
#include "eventcodec.h"
#include "eventstore.h"
#include "notificationcenter.h"
#include "preferences.h"
#include "uuid.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QRandomGenerator>

#include "benchmain.h"

#include <benchmark/benchmark.h>

namespace {

const Calendar kCalendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));
const QDate kToday(2024, 3, 13);

class MemoryBackend final : public PreferenceBackend
{
public:
    explicit MemoryBackend(QHash<QString, QVariant> values = {}) : m_values(std::move(values)) {}
    QHash<QString, QVariant> loadAll() override { return m_values; }
    bool write(const QString &key, const QVariant &value) override
    {
        m_values.insert(key, value);
        return true;
    }
    bool remove(const QString &key) override { return m_values.remove(key) > 0; }

private:
    QHash<QString, QVariant> m_values;
};

// Reminder rebuilds that the start-up requests go nowhere.
class QuietNotificationCenter final : public NotificationCenter
{
public:
    QCoro::Task<QList<NotificationRequest>> pendingRequests() override { co_return QList<NotificationRequest>(); }
    void removePendingRequests(const QStringList &) override {}
    QCoro::Task<bool> add(NotificationRequest) override { co_return true; }
    QCoro::Task<NotificationAuthorization> authorizationStatus() override { co_return NotificationAuthorization::Denied; }
    QCoro::Task<bool> requestAuthorization() override { co_return false; }
};

CalendarEvent event(const QString &title, Instant start, Instant end, bool isAllDay = false)
{
    CalendarEvent e;
    e.id = Uuid::create();
    e.title = title;
    e.startTime = start;
    e.endTime = end;
    e.isAllDay = isAllDay;
    e.date = kCalendar.startOfDay(start);
    return e;
}

// Timed events of one day, 15 minutes to 3 hours long, starting anywhere in it.
QList<CalendarEvent> eventsOfOneDay(int count)
{
    QRandomGenerator random(7);
    QList<CalendarEvent> events;
    for (int i = 0; i < count; ++i) {
        const Instant start = kCalendar.instantAt(kToday, QTime(random.bounded(24), random.bounded(60)));
        events.append(event(QStringLiteral("Event %1").arg(i), start, start.addingSeconds(60 * random.bounded(15, 180))));
    }
    return events;
}

// Events over the year around today, one in eight all-day.
QList<CalendarEvent> eventsAroundToday(int count)
{
    QRandomGenerator random(42);
    const QDate first = kToday.addDays(-180);
    QList<CalendarEvent> events;
    for (int i = 0; i < count; ++i) {
        const QDate day = first.addDays(random.bounded(365));
        if (random.bounded(8) == 0) {
            events.append(event(QStringLiteral("Trip %1").arg(i), kCalendar.startOfDay(day),
                                kCalendar.startOfDay(day.addDays(1 + random.bounded(3))), true));
        } else {
            const Instant start = kCalendar.instantAt(day, QTime(random.bounded(7, 20), random.bounded(4) * 15));
            events.append(event(QStringLiteral("Meeting %1").arg(i), start, start.addingSeconds(3600)));
        }
    }
    return events;
}

// Processes events until the window has shown a new frame; false after two seconds without one.
bool waitForFrame(QQuickWindow &window)
{
    bool swapped = false;
    const auto connection = QObject::connect(&window, &QQuickWindow::frameSwapped, [&swapped] { swapped = true; });
    QElapsedTimer deadline;
    deadline.start();
    while (!swapped && deadline.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QObject::disconnect(connection);
    return swapped;
}

void BM_PlaceTimedEvents(benchmark::State &state)
{
    const QList<CalendarEvent> events = eventsOfOneDay(int(state.range(0)));
    const Instant dayStart = kCalendar.startOfDay(kCalendar.instantAt(kToday));
    for (auto _ : state)
        benchmark::DoNotOptimize(placeTimedEvents(events, dayStart, kCalendar));
}

void BM_MonthScreenRedraw(benchmark::State &state)
{
    Preferences preferences(std::make_unique<MemoryBackend>());
    EventStore store(preferences);
    store.setCalendar(kCalendar);
    store.setEvents(eventsAroundToday(int(state.range(0))));
    // Connected before the view's models, so the clock starts when the store announces the change.
    QElapsedTimer sinceChange;
    QObject::connect(&store, &EventStore::eventsChanged, [&sinceChange] { sinceChange.start(); });

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport Dayloom.Calendar\n"
                      "Window { width: 1400; height: 900; visible: true; property alias store: view.store\n"
                      "         MacCalendarView { id: view; anchors.fill: parent } }",
                      QUrl(QStringLiteral("qrc:/bench/MonthScreen.qml")));
    if (!component.isReady()) {
        qWarning("%s", qPrintable(component.errorString()));
        state.SkipWithError("the month screen did not load");
        return;
    }
    std::unique_ptr<QObject> root(component.createWithInitialProperties({{QStringLiteral("store"), QVariant::fromValue(&store)}}));
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    if (!window || !waitForFrame(*window)) {
        state.SkipWithError("the month screen showed no frame");
        return;
    }
    // A change the month screen shows: the title of today's first event, listed below the grid.
    const QString id = store.visibleEventsForDay(kCalendar.instantAt(kToday)).constFirst().id;
    int n = 0;
    for (auto _ : state) {
        const auto index = std::find_if(store.events().cbegin(), store.events().cend(),
                                        [&](const CalendarEvent &e) { return e.id == id; }) - store.events().cbegin();
        CalendarEvent changed = store.events().at(index);
        changed.title = QStringLiteral("Renamed %1").arg(++n);
        store.setEventAt(index, changed);
        if (!waitForFrame(*window)) {
            state.SkipWithError("no frame after the change");
            return;
        }
        state.SetIterationTime(double(sinceChange.nsecsElapsed()) / 1e9);
    }
}

void BM_StartupToFirstFrame(benchmark::State &state)
{
    const QByteArray stored = *EventCodec::encode(eventsAroundToday(int(state.range(0))));
    QuietNotificationCenter center;
    NotificationCenter::setShared(&center);
    for (auto _ : state) {
        QElapsedTimer elapsed;
        elapsed.start();
        Preferences preferences(std::make_unique<MemoryBackend>(QHash<QString, QVariant>{{EventStore::key, stored}}));
        AppRoot root(preferences);
        AppRoot::setInstance(&root);
        QQmlApplicationEngine engine;
        engine.addImportPath(QStringLiteral("qrc:/"));
        engine.load(QUrl(QStringLiteral("qrc:/Dayloom/App/Main.qml")));
        auto *window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
        if (!window || !waitForFrame(*window)) {
            state.SkipWithError("the window showed no frame");
            break;
        }
        state.SetIterationTime(double(elapsed.nsecsElapsed()) / 1e9);
        AppRoot::setInstance(nullptr);
    }
    NotificationCenter::setShared(nullptr);
}

}

BENCHMARK(BM_PlaceTimedEvents)->Arg(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MonthScreenRedraw)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupToFirstFrame)->Arg(10000)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    FixedClock clock(kCalendar.instantAt(kToday, QTime(10, 0)));
    Clock::setShared(&clock);
    registerDayloomQmlModules();
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    return runBenchmarks(argc, argv);
}
