#include "awaittask.h"
#include "clock.h"
#include "eventstore.h"
#include "fakegooglecalendar.h"
#include "fakegooglesignin.h"
#include "googlesync.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "uuid.h"

#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <QCoro/QCoroTask>

namespace {

const Calendar kNewYork(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));

Instant at(QDate date, QTime time = QTime(0, 0))
{
    return kNewYork.instantAt(date, time);
}

CalendarEvent localEvent(const QString &title, QDate day, QTime start = QTime(9, 0))
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = title;
    event.startTime = at(day, start);
    event.endTime = event.startTime.addingSeconds(3600);
    event.date = at(day);
    return event;
}

const CalendarEvent *findByTitle(const EventStore &store, const QString &title)
{
    for (const CalendarEvent &event : store.events()) {
        if (event.title == title)
            return &event;
    }
    return nullptr;
}

}

class TestGoogleSync : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<FakeGoogleCalendar> m_google;
    std::unique_ptr<FakeGoogleSignInClient> m_signIn;
    std::unique_ptr<GoogleCalendarAPI> m_api;
    std::unique_ptr<GoogleSync> m_sync;
    std::unique_ptr<EventStore> m_store;
    FixedClock m_clock{at(QDate(2024, 3, 13), QTime(10, 0))};

    void runSync() { QCoro::waitFor(m_store->sync()); }

private slots:
    void init()
    {
        Clock::setShared(&m_clock);
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir->filePath(u"prefs.sqlite"_qs)));
        m_google = std::make_unique<FakeGoogleCalendar>();
        m_signIn = std::make_unique<FakeGoogleSignInClient>(FakeGoogleSignInClient::user(u"Me@Example.com"_qs));
        m_api = std::make_unique<GoogleCalendarAPI>(m_google->rootUrl(), m_signIn.get());
        m_sync = std::make_unique<GoogleSync>(*m_api, *m_signIn);
        m_store = std::make_unique<EventStore>(*m_preferences, nullptr, m_dir->filePath(u"r"_qs));
        m_store->setCalendar(kNewYork);
        m_store->setSignInClient(m_signIn.get());
        m_store->setSynchroniser(m_sync.get());
    }

    void cleanup()
    {
        m_store.reset();
        Clock::setShared(nullptr);
    }

    void firstRunPushesLocalEventsAndPullsGoogleOnes()
    {
        m_store->setEvents({localEvent(u"Local"_qs, QDate(2024, 3, 14))});
        QJsonObject untitled = FakeGoogleCalendar::timedEvent(u"x"_qs, u"2024-03-20T15:00:00Z"_qs, u"2024-03-20T16:00:00Z"_qs);
        untitled.remove(u"summary"_qs);
        m_google->addEvent(untitled);
        m_google->addEvent(FakeGoogleCalendar::allDayEvent(u"Trip"_qs, u"2024-04-01"_qs, u"2024-04-03"_qs));

        runSync();

        QCOMPARE(m_store->lastSyncError(), std::nullopt);
        QVERIFY(!m_store->isSyncing());
        QCOMPARE(m_preferences->string(EventStore::syncedAccountKey), u"me@example.com"_qs);
        const CalendarEvent *pushed = findByTitle(*m_store, u"Local"_qs);
        QVERIFY(pushed && pushed->googleEventId && pushed->googleUpdated && !pushed->isDirty);
        QCOMPARE(m_google->liveEvents().size(), 3);

        const CalendarEvent *noTitle = findByTitle(*m_store, u"(No title)"_qs);
        QVERIFY(noTitle);
        QCOMPARE(noTitle->colorName, u"Peacock"_qs);
        QCOMPARE(noTitle->category, u"Event"_qs);
        QVERIFY(!noTitle->isDirty);
        const CalendarEvent *trip = findByTitle(*m_store, u"Trip"_qs);
        QVERIFY(trip && trip->isAllDay);
        QCOMPARE(trip->startTime, at(QDate(2024, 4, 1)));
        QCOMPARE(trip->endTime, at(QDate(2024, 4, 3)));
        QCOMPARE(m_store->events().size(), 3);

        // A second run with nothing changed sends nothing and saves nothing.
        m_google->clearRequests();
        QSignalSpy changed(m_store.get(), &EventStore::eventsChanged);
        runSync();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m_google->requestCount("POST") + m_google->requestCount("PATCH"), 0);
    }

    void anotherAccountReplacesTheGoogleEvents()
    {
        m_preferences->setString(EventStore::syncedAccountKey, u"someone.else@example.com"_qs);
        CalendarEvent old = localEvent(u"Old account"_qs, QDate(2024, 3, 14));
        old.googleEventId = u"old-1"_qs;
        old.isDirty = true; // unsent edits of the old account's events are dropped too
        const CalendarEvent local = localEvent(u"Local only"_qs, QDate(2024, 3, 15));
        m_store->setEvents({old, local});
        m_store->setPendingDeletes({u"old-2"_qs});
        m_google->addEvent(FakeGoogleCalendar::timedEvent(u"New account"_qs, u"2024-03-20T15:00:00Z"_qs, u"2024-03-20T16:00:00Z"_qs));

        runSync();

        QVERIFY(!findByTitle(*m_store, u"Old account"_qs));
        QVERIFY(findByTitle(*m_store, u"Local only"_qs));
        QVERIFY(findByTitle(*m_store, u"New account"_qs));
        QCOMPARE(m_google->requestCount("DELETE"), 0);
        QVERIFY(m_store->pendingDeletes().isEmpty());
        QCOMPARE(m_preferences->string(EventStore::syncedAccountKey), u"me@example.com"_qs);
    }

    void anEventEditedDuringItsPushIsSentAgain()
    {
        m_store->setEvents({localEvent(u"Draft"_qs, QDate(2024, 3, 14))});
        m_google->holdNext("POST");
        connect(m_google.get(), &FakeGoogleCalendar::requestHeld, this, [this] {
            CalendarEvent edited = m_store->events()[0];
            edited.title = u"Final"_qs;
            m_store->update(edited);
            m_google->releaseHeld();
        });
        runSync();
        QCOMPARE(m_google->requestCount("POST"), 1);
        QCOMPARE(m_google->requestCount("PATCH"), 1);
        const CalendarEvent &stored = m_store->events()[0];
        QCOMPARE(stored.title, u"Final"_qs);
        QVERIFY(!stored.isDirty);
        QCOMPARE(m_google->event(*stored.googleEventId)->value(u"summary"_qs).toString(), u"Final"_qs);
    }

    void anEventDeletedDuringItsInsertIsDeletedAtGoogle()
    {
        m_store->setEvents({localEvent(u"Mistake"_qs, QDate(2024, 3, 14))});
        m_google->holdNext("POST");
        connect(m_google.get(), &FakeGoogleCalendar::requestHeld, this, [this] {
            m_store->remove(m_store->events()[0]);
            m_google->releaseHeld();
        });
        runSync();
        QVERIFY(m_store->events().isEmpty());
        QCOMPARE(m_google->requestCount("DELETE"), 1);
        QVERIFY(m_google->liveEvents().isEmpty());
        QVERIFY(m_store->pendingDeletes().isEmpty());
    }

    void pendingDeletionsStayQueuedUntilGoogleConfirms()
    {
        m_store->setPendingDeletes({u"gone-already"_qs, u"fails"_qs});
        m_google->inject(FakeGoogleCalendar::Injection::answer(503).forMethod("DELETE").skipping(1));
        runSync();
        // 404 for the first counts as done; the 503 keeps the second queued and is reported.
        QCOMPARE(m_store->pendingDeletes(), QStringList{u"fails"_qs});
        QVERIFY(m_store->lastSyncError().has_value());
        runSync();
        QVERIFY(m_store->pendingDeletes().isEmpty());
        QCOMPARE(m_store->lastSyncError(), std::nullopt);
    }

    void aPatchOfAVanishedEventBecomesAnInsert()
    {
        CalendarEvent linked = localEvent(u"Linked"_qs, QDate(2024, 3, 14));
        linked.googleEventId = u"vanished"_qs;
        m_store->setEvents({linked});
        runSync();
        QCOMPARE(m_google->requestCount("PATCH"), 1);
        QCOMPARE(m_google->requestCount("POST"), 1);
        QCOMPARE(m_store->events().size(), 1);
        QVERIFY(m_store->events()[0].googleEventId != u"vanished"_qs);
        QVERIFY(!m_store->events()[0].isDirty);
    }

    void withTheNetworkDownNothingLocalChanges()
    {
        CalendarEvent linked = localEvent(u"Linked"_qs, QDate(2024, 3, 14));
        linked.googleEventId = u"g1"_qs;
        linked.isDirty = false;
        m_store->setEvents({localEvent(u"Local"_qs, QDate(2024, 3, 14)), linked});
        m_store->setPendingDeletes({u"g9"_qs});
        const QList<CalendarEvent> before = m_store->events();
        m_google->stopListening();
        runSync();
        QCOMPARE(m_store->events(), before);
        QCOMPARE(m_store->pendingDeletes(), QStringList{u"g9"_qs});
        QVERIFY(m_store->lastSyncError().has_value());
        QVERIFY(!m_store->lastSyncError()->isEmpty());
    }

    void requestsDuringARunMakeOneMorePass()
    {
        m_google->holdNext("GET");
        connect(m_google.get(), &FakeGoogleCalendar::requestHeld, this, [this] {
            QVERIFY(m_store->isSyncing());
            QCoro::Task<> second = m_store->sync(); // return at once: the run is going on
            QCoro::Task<> third = m_store->sync();
            QVERIFY(second.isReady() && third.isReady());
            m_google->releaseHeld();
        });
        runSync();
        QCOMPARE(m_google->requestCount("GET"), 2);
        QVERIFY(!m_store->isSyncing());
    }

    void aListingCutOffAtThePageLimitLosesNothing()
    {
        for (int i = 0; i < 300; ++i) {
            const QString day = QDate(2024, 3, 20).addDays(i % 200).toString(Qt::ISODate);
            m_google->addEvent(FakeGoogleCalendar::timedEvent(u"Remote %1"_qs.arg(i), day + u"T15:00:00Z"_qs,
                                                              day + u"T16:00:00Z"_qs));
        }
        runSync(); // two pages of 250: everything arrives
        QCOMPARE(m_store->events().size(), 300);

        m_google->setMaxPageSize(10); // now 30 pages, of which only 20 are read
        QSignalSpy changed(m_store.get(), &EventStore::eventsChanged);
        runSync();
        QCOMPARE(m_google->requestCount("GET"), 2 + 20);
        QCOMPARE(m_store->events().size(), 300);
        QCOMPARE(changed.count(), 0);
    }

    void signedOutDoesNothing()
    {
        m_signIn->signOut();
        m_store->setEvents({localEvent(u"Local"_qs, QDate(2024, 3, 14))});
        runSync();
        QCOMPARE(m_google->requests().size(), 0);
        QVERIFY(m_store->events()[0].isDirty);
    }

    void mergeRules_data()
    {
        QTest::addColumn<bool>("localDirty");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<int>("startDay"); // days after 13 March 2024
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("expectedTitle"); // empty: removed
        QTest::newRow("changed at google") << false << false << true << 5 << true << u"Remote"_qs;
        QTest::newRow("dirty local copy wins") << true << false << true << 5 << true << u"Local"_qs;
        QTest::newRow("cancelled") << false << true << true << 5 << true << QString();
        QTest::newRow("cancelled, but dirty") << true << true << true << 5 << true << u"Local"_qs;
        QTest::newRow("vanished inside the window") << false << false << false << 5 << true << QString();
        QTest::newRow("vanished near the window end") << false << false << false << 365 << true << u"Local"_qs;
        QTest::newRow("vanished before the window") << false << false << false << -40 << true << u"Local"_qs;
        QTest::newRow("vanished from a cut-off listing") << false << false << false << 5 << false << u"Local"_qs;
    }

    void mergeRules()
    {
        QFETCH(bool, localDirty);
        QFETCH(bool, cancelled);
        QFETCH(bool, listed);
        QFETCH(int, startDay);
        QFETCH(bool, complete);
        QFETCH(QString, expectedTitle);
        CalendarEvent local = localEvent(u"Local"_qs, QDate(2024, 3, 13).addDays(startDay));
        local.googleEventId = u"g1"_qs;
        local.googleUpdated = u"v1"_qs;
        local.isDirty = localDirty;
        local.colorName = u"Grape"_qs;

        GoogleCalendarAPI::FetchResult listing;
        listing.windowStart = m_clock.now().addingSeconds(-30 * 86400.0);
        listing.windowEnd = m_clock.now().addingSeconds(365 * 86400.0);
        listing.isComplete = complete;
        if (listed) {
            GoogleCalendarAPI::GoogleEvent remote;
            remote.id = u"g1"_qs;
            remote.summary = u"Remote"_qs;
            remote.updated = u"v2"_qs;
            if (cancelled)
                remote.status = u"cancelled"_qs;
            remote.start = GoogleCalendarAPI::EventTime{u"2024-03-18T14:00:00Z"_qs, std::nullopt};
            remote.end = GoogleCalendarAPI::EventTime{u"2024-03-18T15:00:00Z"_qs, std::nullopt};
            listing.events.append(remote);
        }
        const QList<CalendarEvent> merged = mergeGoogleEvents({local}, listing, {}, kNewYork);
        if (expectedTitle.isEmpty()) {
            QVERIFY(merged.isEmpty());
            return;
        }
        QCOMPARE(merged.size(), 1);
        QCOMPARE(merged[0].title, expectedTitle);
        QCOMPARE(merged[0].colorName, u"Grape"_qs); // local colour always survives
    }
};

QTEST_GUILESS_MAIN(TestGoogleSync)
#include "test_googlesync.moc"
