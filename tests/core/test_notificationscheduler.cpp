#include "clock.h"
#include "notificationscheduler.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A notification center that keeps its requests in memory and records how it was used.
class FakeNotificationCenter final : public NotificationCenter
{
public:
    QList<NotificationRequest> pending;
    NotificationAuthorization authorization = NotificationAuthorization::Authorized;
    QSet<QString> refused;
    int listCalls = 0;
    int removeCalls = 0;

    QCoro::Task<QList<NotificationRequest>> pendingRequests() override
    {
        ++listCalls;
        co_return std::as_const(pending); // a non-const lvalue would be moved out by QCoro 0.8
    }
    void removePendingRequests(const QStringList &identifiers) override
    {
        ++removeCalls;
        pending.removeIf([&](const NotificationRequest &r) { return identifiers.contains(r.identifier); });
    }
    QCoro::Task<bool> add(NotificationRequest request) override
    {
        if (refused.contains(request.identifier))
            co_return false;
        pending.append(request);
        co_return true;
    }
    QCoro::Task<NotificationAuthorization> authorizationStatus() override { co_return authorization; }
    QCoro::Task<bool> requestAuthorization() override { co_return true; }

    QStringList identifiers() const
    {
        QStringList ids;
        for (const NotificationRequest &request : pending)
            ids.append(request.identifier);
        return ids;
    }
};

// A pause that ends when the test says so.
class ManualPauseTimer final : public PauseTimer
{
public:
    int starts = 0;
    std::chrono::milliseconds lastPause{0};

    void start(std::chrono::milliseconds pause, std::function<void()> elapsed) override
    {
        ++starts;
        lastPause = pause;
        m_elapsed = std::move(elapsed);
    }
    void elapse() { std::exchange(m_elapsed, {})(); }
    bool isWaiting() const { return bool(m_elapsed); }

private:
    std::function<void()> m_elapsed;
};

Calendar zoneCalendar(const QString &zone)
{
    return Calendar(QTimeZone(zone.toUtf8()), 1, QLocale(QLocale::English, QLocale::UnitedStates));
}

Instant at(const Calendar &calendar, const QString &wallClock)
{
    const QDateTime dt = QDateTime::fromString(wallClock, QStringLiteral("yyyy-MM-dd HH:mm"));
    return calendar.instantAt(dt.date(), dt.time());
}

QString eventId(int n)
{
    return QStringLiteral("00000000-0000-0000-0000-%1").arg(n, 12, 10, QLatin1Char('0'));
}

CalendarEvent makeEvent(int n, const Calendar &calendar, const QString &start, QList<int> reminders = {})
{
    CalendarEvent e;
    e.id = eventId(n);
    e.title = QStringLiteral("Event %1").arg(n);
    e.startTime = at(calendar, start);
    e.endTime = e.startTime.addingSeconds(3600);
    e.date = calendar.startOfDay(e.startTime);
    e.reminderMinutes = std::move(reminders);
    return e;
}

// "fire wall clock | identifier | title | body" of each request, for readable comparisons.
QStringList describe(const QList<NotificationRequest> &requests, const Calendar &calendar)
{
    QStringList lines;
    for (const NotificationRequest &r : requests)
        lines.append(calendar.localDateTime(r.fireTime).toString(QStringLiteral("yyyy-MM-dd HH:mm")) + u" | "
                     + r.identifier + u" | " + r.title + u" | " + r.body);
    return lines;
}

}

class TestNotificationScheduler : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<FakeNotificationCenter> m_center;
    Calendar m_calendar = zoneCalendar(QStringLiteral("America/New_York"));
    FixedClock m_clock{Instant()};

    std::unique_ptr<NotificationScheduler> scheduler(ManualPauseTimer **timer = nullptr)
    {
        auto manual = std::make_unique<ManualPauseTimer>();
        if (timer)
            *timer = manual.get();
        return std::make_unique<NotificationScheduler>(*m_center, *m_preferences, m_clock, m_calendar,
                                                       std::move(manual));
    }

    void rebuild(const QList<CalendarEvent> &events)
    {
        auto s = scheduler();
        QCoro::waitFor(s->rebuild(events));
    }

private slots:
    void init()
    {
        m_preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir.filePath(QStringLiteral("prefs.sqlite"))));
        m_preferences->remove(NotificationScheduler::defaultReminderKey);
        m_center = std::make_unique<FakeNotificationCenter>();
        m_calendar = zoneCalendar(QStringLiteral("America/New_York"));
        m_clock.set(at(m_calendar, QStringLiteral("2024-03-05 08:00")));
    }

    void remindersOfOneEvent_data()
    {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("isAllDay");
        QTest::addColumn<QList<int>>("reminders");
        QTest::addColumn<int>("defaultReminder");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QStringList>("expected");

        const QString ny = QStringLiteral("America/New_York");
        const QString id = u"dayloom." + eventId(1);
        QTest::newRow("default reminder") << ny << "2024-03-05 08:00" << "2024-03-05 10:00" << false << QList<int>{}
                                          << 15 << "Lecture" << ""
                                          << QStringList{u"2024-03-05 09:45 | " + id
                                                         + u".15 | Lecture | Starts at 10:00 AM - in 15 minutes"};
        QTest::newRow("own reminders win over the default, soonest first")
                << ny << "2024-03-05 08:00" << "2024-03-06 10:00" << false << QList<int>{60, 1440} << 15 << "Exam"
                << ""
                << QStringList{u"2024-03-05 10:00 | " + id + u".1440 | Exam | Starts at 10:00 AM - in 1440 minutes",
                               u"2024-03-06 09:00 | " + id + u".60 | Exam | Starts at 10:00 AM - in 1 hour"};
        QTest::newRow("a reminder already past is left out")
                << ny << "2024-03-05 10:30" << "2024-03-06 10:00" << false << QList<int>{60, 1440} << 0 << "Exam"
                << "" << QStringList{u"2024-03-06 09:00 | " + id + u".60 | Exam | Starts at 10:00 AM - in 1 hour"};
        QTest::newRow("a reminder due now is not ahead")
                << ny << "2024-03-05 09:45" << "2024-03-05 10:00" << false << QList<int>{15} << 0 << "Exam" << ""
                << QStringList{};
        QTest::newRow("all-day events are announced from 09:00, with the location")
                << ny << "2024-03-05 08:00" << "2024-03-06 00:00" << true << QList<int>{15, 180} << 0 << "Trip"
                << "Room 4"
                << QStringList{u"2024-03-06 06:00 | " + id + u".180 | Trip | All day - in 3 hours - Room 4",
                               u"2024-03-06 08:45 | " + id + u".15 | Trip | All day - in 15 minutes - Room 4"};
        QTest::newRow("all-day on the day the clocks go forward")
                << ny << "2024-03-09 08:00" << "2024-03-10 00:00" << true << QList<int>{300} << 0 << "Fair" << ""
                << QStringList{u"2024-03-10 04:00 | " + id + u".300 | Fair | All day - in 5 hours"};
        // In 1979 Athens moved its clocks from 09:00 straight to 10:00.
        QTest::newRow("all-day on a day without 09:00")
                << QStringLiteral("Europe/Athens") << "1979-03-31 12:00" << "1979-04-01 00:00" << true
                << QList<int>{45} << 0 << "Easter" << ""
                << QStringList{u"1979-04-01 08:15 | " + id + u".45 | Easter | All day - in 45 minutes"};
        QTest::newRow("empty title") << ny << "2024-03-05 08:00" << "2024-03-05 10:00" << false << QList<int>{30}
                                     << 0 << "" << "Lab"
                                     << QStringList{u"2024-03-05 09:30 | " + id
                                                    + u".30 | Event | Starts at 10:00 AM - in 30 minutes - Lab"};
        QTest::newRow("no reminders and no default") << ny << "2024-03-05 08:00" << "2024-03-05 10:00" << false
                                                     << QList<int>{} << 0 << "Exam" << "" << QStringList{};
        QTest::newRow("a negative default is no default") << ny << "2024-03-05 08:00" << "2024-03-05 10:00" << false
                                                          << QList<int>{} << -15 << "Exam" << "" << QStringList{};
    }

    void remindersOfOneEvent()
    {
        QFETCH(QString, zone);
        QFETCH(QString, now);
        QFETCH(QString, start);
        QFETCH(bool, isAllDay);
        QFETCH(QList<int>, reminders);
        QFETCH(int, defaultReminder);
        QFETCH(QString, title);
        QFETCH(QString, location);
        QFETCH(QStringList, expected);

        m_calendar = zoneCalendar(zone);
        m_clock.set(at(m_calendar, now));
        m_preferences->setInteger(NotificationScheduler::defaultReminderKey, defaultReminder);
        CalendarEvent e = makeEvent(1, m_calendar, start, reminders);
        e.isAllDay = isAllDay;
        e.title = title;
        e.location = location;

        rebuild({e});

        QCOMPARE(describe(m_center->pending, m_calendar), expected);
        for (const NotificationRequest &request : std::as_const(m_center->pending))
            QVERIFY(request.playsDefaultSound);
    }

    void onlyTheSixtySoonestAreAdded()
    {
        QList<CalendarEvent> events;
        // Start times in a scrambled order, one hour apart.
        for (int i = 0; i < 100; ++i) {
            const int hour = (i * 37) % 100;
            CalendarEvent e = makeEvent(i, m_calendar, QStringLiteral("2024-03-06 00:00"), {15});
            e.startTime = e.startTime.addingSeconds(hour * 3600.0);
            events.append(e);
        }
        rebuild(events);

        QCOMPARE(m_center->pending.size(), 60);
        const Instant firstStart = at(m_calendar, QStringLiteral("2024-03-06 00:00"));
        for (int k = 0; k < 60; ++k)
            QCOMPARE(m_center->pending[k].fireTime, firstStart.addingSeconds(k * 3600.0 - 15 * 60));
    }

    void equalFireTimesKeepTheOrderOfTheList()
    {
        m_preferences->setInteger(NotificationScheduler::defaultReminderKey, 60);
        // All three fire at 09:45: events 1 and 3 through the default, event 2 through its own.
        const QList<CalendarEvent> events{makeEvent(1, m_calendar, QStringLiteral("2024-03-05 10:45")),
                                          makeEvent(2, m_calendar, QStringLiteral("2024-03-05 10:00"), {15}),
                                          makeEvent(3, m_calendar, QStringLiteral("2024-03-05 10:45"))};
        rebuild(events);

        const QString p = QStringLiteral("dayloom.");
        QCOMPARE(m_center->identifiers(), (QStringList{p + eventId(1) + u".60", p + eventId(2) + u".15",
                                                      p + eventId(3) + u".60"}));
    }

    void replacesOnlyTheApplicationsOwnRequests()
    {
        const auto request = [](const char *identifier) {
            return NotificationRequest{QString::fromLatin1(identifier), {}, {}, true, Instant::fromSeconds(1e9)};
        };
        m_center->pending = {request("dayloom.OLD.15"), request("other.app.1"), request("xdayloom.1"),
                            request("Dayloom.capitalised"), request("dayloom.")};

        rebuild({makeEvent(1, m_calendar, QStringLiteral("2024-03-05 10:00"), {15})});

        QCOMPARE(m_center->removeCalls, 1);
        QCOMPARE(m_center->identifiers(), (QStringList{QStringLiteral("other.app.1"), QStringLiteral("xdayloom.1"),
                                                      QStringLiteral("Dayloom.capitalised"),
                                                      u"dayloom." + eventId(1) + u".15"}));
    }

    void withoutPermissionOldRemindersGoAndNoneAreAdded_data()
    {
        QTest::addColumn<NotificationAuthorization>("authorization");
        QTest::addColumn<int>("added");
        QTest::newRow("not determined") << NotificationAuthorization::NotDetermined << 0;
        QTest::newRow("denied") << NotificationAuthorization::Denied << 0;
        QTest::newRow("provisional") << NotificationAuthorization::Provisional << 1;
        QTest::newRow("authorized") << NotificationAuthorization::Authorized << 1;
    }

    void withoutPermissionOldRemindersGoAndNoneAreAdded()
    {
        QFETCH(NotificationAuthorization, authorization);
        QFETCH(int, added);
        m_center->authorization = authorization;
        m_center->pending = {{QStringLiteral("dayloom.OLD.15"), {}, {}, true, Instant::fromSeconds(1e9)}};

        rebuild({makeEvent(1, m_calendar, QStringLiteral("2024-03-05 10:00"), {15})});

        QCOMPARE(m_center->pending.size(), added);
        QVERIFY(!m_center->identifiers().contains(QStringLiteral("dayloom.OLD.15")));
    }

    void aRefusedRequestIsSkipped()
    {
        m_center->refused = {u"dayloom." + eventId(1) + u".15"};
        rebuild({makeEvent(1, m_calendar, QStringLiteral("2024-03-05 10:00"), {15, 30})});
        QCOMPARE(m_center->identifiers(), QStringList{u"dayloom." + eventId(1) + u".30"});
    }

    void aBurstOfSavesRebuildsOnceWithTheLastList()
    {
        ManualPauseTimer *timer = nullptr;
        auto s = scheduler(&timer);
        for (int n = 1; n <= 10; ++n)
            s->reschedule({makeEvent(n, m_calendar, QStringLiteral("2024-03-05 10:00"), {15})});

        QCOMPARE(timer->starts, 10);
        QCOMPARE(timer->lastPause, std::chrono::milliseconds(700));
        QCOMPARE(m_center->listCalls, 0);
        timer->elapse();
        QCOMPARE(m_center->listCalls, 1);
        QCOMPARE(m_center->identifiers(), QStringList{u"dayloom." + eventId(10) + u".15"});
    }

    void theDefaultTimerRebuildsOnceAfterThePause()
    {
        NotificationScheduler s(*m_center, *m_preferences, m_clock, m_calendar);
        for (int n = 1; n <= 10; ++n)
            s.reschedule({makeEvent(n, m_calendar, QStringLiteral("2024-03-05 10:00"), {15})});
        QCOMPARE(m_center->listCalls, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_center->listCalls, 1, 2000);
        QCOMPARE(m_center->identifiers(), QStringList{u"dayloom." + eventId(10) + u".15"});
    }

    void remindersInFrontShowAsBannerListAndSound()
    {
        auto s = scheduler();
        const NotificationPresentationOptions options = QCoro::waitFor(s->willPresent({}));
        QCOMPARE(options.toInt(), 26);
    }
};

QTEST_GUILESS_MAIN(TestNotificationScheduler)
#include "test_notificationscheduler.moc"
