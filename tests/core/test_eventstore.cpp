#include "eventcodec.h"
#include "countingsynchroniser.h"
#include "eventstore.h"
#include "fakegooglesignin.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "uuid.h"

#include <QDir>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include "fakegooglesignin.h"

#include <QTest>

// JSON text written inline; raw string literals would confuse moc.
#define JSON(...) #__VA_ARGS__

namespace {

const Calendar kNewYork(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));

Instant at(QDate date, QTime time = QTime(0, 0))
{
    return kNewYork.instantAt(date, time);
}

CalendarEvent timedEvent(const QString &title, Instant start, Instant end)
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = title;
    event.date = kNewYork.startOfDay(start);
    event.startTime = start;
    event.endTime = end;
    return event;
}

CalendarEvent allDayEvent(const QString &title, QDate first, int days = 1)
{
    CalendarEvent event = timedEvent(title, at(first), at(first.addDays(days)));
    event.isAllDay = true;
    return event;
}

QStringList titles(const QList<CalendarEvent> &events)
{
    QStringList list;
    for (const CalendarEvent &event : events)
        list << event.title;
    return list;
}

}

class TestEventStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    FakeGoogleSignInClient m_signIn;
    CountingSynchroniser m_synchroniser;

    QString recoveryFolder() const { return m_dir->filePath(QStringLiteral("Recovered")); }

    std::unique_ptr<EventStore> openStore()
    {
        auto store = std::make_unique<EventStore>(*m_preferences, nullptr, recoveryFolder());
        store->setCalendar(kNewYork);
        store->setSignInClient(&m_signIn);
        store->setSynchroniser(&m_synchroniser);
        return store;
    }

    void reopenPreferences()
    {
        m_preferences.reset();
        m_preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir->filePath(QStringLiteral("prefs.sqlite"))));
    }

    QList<CalendarEvent> storedEvents() const
    {
        return EventCodec::decode(m_preferences->bytes(EventStore::key).value_or(QByteArray())).value_or(QList<CalendarEvent>{});
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        reopenPreferences();
        m_signIn.setUser(std::nullopt);
        m_synchroniser.runs = 0;
    }

    void addingKeepsEventsLocalAndDirtyUntilSomeoneSyncs()
    {
        auto store = openStore();
        int reschedules = 0;
        store->setRemindersRescheduler([&](const QList<CalendarEvent> &events) { reschedules = int(events.size()); });
        store->add(timedEvent(u"Offline"_qs, at(QDate(2024, 3, 3), QTime(9, 0)), at(QDate(2024, 3, 3), QTime(10, 0))));
        QCOMPARE(store->events().size(), 1);
        QVERIFY(store->events()[0].isDirty);
        QCOMPARE(m_synchroniser.runs, 0);
        QCOMPARE(reschedules, 1);
        QCOMPARE(storedEvents(), store->events());

        m_signIn.setUser(FakeGoogleSignInClient::user(u"me@example.com"_qs));
        store->add(timedEvent(u"Online"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 3))));
        QCOMPARE(m_synchroniser.runs, 1);
    }

    void appleHooksDecideWhereAnEventLives()
    {
        m_signIn.setUser(FakeGoogleSignInClient::user(QString()));
        auto store = openStore();
        std::optional<QString> creatorAnswer = u"cal/new.ics"_qs;
        std::optional<QString> writerAnswer;
        bool deleterAnswer = false;
        store->setAppleCreator([&](const CalendarEvent &) { return creatorAnswer; });
        store->setAppleWriter([&](const CalendarEvent &) { return writerAnswer; });
        store->setAppleDeleter([&](const QString &) { return deleterAnswer; });

        store->add(timedEvent(u"Apple"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 4))));
        QCOMPARE(store->events()[0].appleEventId, u"cal/new.ics"_qs);
        QVERIFY(!store->events()[0].isDirty);
        QCOMPARE(m_synchroniser.runs, 0); // never pushed to Google

        CalendarEvent edited = store->events()[0];
        edited.title = u"Refused write"_qs;
        store->update(edited);
        QCOMPARE(store->events()[0].title, u"Refused write"_qs);
        QVERIFY(store->events()[0].isDirty);
        QCOMPARE(store->events()[0].appleEventId, u"cal/new.ics"_qs);

        writerAnswer = u"cal/moved.ics"_qs;
        store->update(edited);
        QCOMPARE(store->events()[0].appleEventId, u"cal/moved.ics"_qs);
        QVERIFY(!store->events()[0].isDirty);
        QCOMPARE(m_synchroniser.runs, 0);

        store->remove(store->events()[0]); // refused
        QCOMPARE(store->events().size(), 1);
        store->setAppleDeleter(nullptr); // no bridge: nothing can delete it either
        store->remove(store->events()[0]);
        QCOMPARE(store->events().size(), 1);
        store->setAppleDeleter([](const QString &) { return true; });
        store->remove(store->events()[0]);
        QVERIFY(store->events().isEmpty());
        QVERIFY(store->pendingDeletes().isEmpty());
    }

    void updatingAGoogleEventMarksItDirtyAndSyncs()
    {
        m_signIn.setUser(FakeGoogleSignInClient::user(QString()));
        auto store = openStore();
        CalendarEvent linked = timedEvent(u"Linked"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 4)));
        linked.googleEventId = u"g1"_qs;
        linked.isDirty = false;
        store->setEvents({linked});
        linked.title = u"Renamed"_qs;
        store->update(linked);
        QCOMPARE(store->events()[0].title, u"Renamed"_qs);
        QVERIFY(store->events()[0].isDirty);
        QCOMPARE(store->events()[0].googleEventId, u"g1"_qs);
        QCOMPARE(m_synchroniser.runs, 1);

        // An id that is not stored replaces and saves nothing, but still asks for a sync.
        const QByteArray before = m_preferences->bytes(EventStore::key).value();
        QSignalSpy changed(store.get(), &EventStore::eventsChanged);
        store->update(timedEvent(u"Stranger"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 4))));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m_preferences->bytes(EventStore::key).value(), before);
        QCOMPARE(m_synchroniser.runs, 2);
    }

    void deletedGoogleIdsWaitAcrossRestarts()
    {
        {
            auto store = openStore();
            CalendarEvent linked = timedEvent(u"Linked"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 4)));
            linked.googleEventId = u"g-42"_qs;
            store->setEvents({linked, linked}); // duplicates of one id go together
            store->remove(linked);
            QVERIFY(store->events().isEmpty());
            QCOMPARE(store->pendingDeletes(), QStringList{u"g-42"_qs});
        }
        reopenPreferences();
        auto store = openStore();
        QCOMPARE(store->pendingDeletes(), QStringList{u"g-42"_qs});
        store->clearAll();
        QVERIFY(store->pendingDeletes().isEmpty());
        QCOMPARE(m_preferences->stringList(EventStore::pendingDeletesKey), QStringList());
    }

    void everyFieldSurvivesARestart()
    {
        CalendarEvent full = timedEvent(u"Übung \"3\""_qs, at(QDate(2024, 3, 10), QTime(1, 30)).addingSeconds(0.25),
                                        at(QDate(2024, 3, 10), QTime(3, 30)));
        full.notes = u"n"_qs;
        full.colorName = u"Grape"_qs;
        full.googleEventId = u"g"_qs;
        full.googleUpdated = u"2024-03-01T00:00:00Z"_qs;
        full.isDirty = false;
        full.attachment = EventAttachment{u"a"_qs, u"https://x"_qs};
        full.location = u"Hall"_qs;
        full.instructor = u"Prof"_qs;
        full.category = u"Exam"_qs;
        full.seriesId = Uuid::create();
        full.reminderMinutes = {60, 1440};
        openStore()->setEvents({full});
        reopenPreferences();
        auto store = openStore();
        QCOMPARE(store->events().size(), 1);
        QVERIFY(store->events()[0] == full);
    }

    void unreadableStoredDataIsKeptAside()
    {
        const QByteArray damaged = JSON([{"title":"Only copy","date":1,"startTime":2,"endTime":3},{"title":);
        m_preferences->setBytes(EventStore::key, damaged);
        m_preferences->setBytes(EventStore::pendingDeletesKey, "not a list");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"stored events could not be read; a copy was kept"_qs));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"stored pendingDeletes could not be read"_qs));
        auto store = openStore();
        QVERIFY(store->events().isEmpty());
        QVERIFY(store->pendingDeletes().isEmpty());
        QCOMPARE(m_preferences->bytes(EventStore::key), damaged); // nothing written at start

        store->add(timedEvent(u"New"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 4))));
        const QStringList kept = QDir(recoveryFolder()).entryList(QDir::Files, QDir::Name);
        QCOMPARE(kept.size(), 2);
        QFile eventsCopy(QDir(recoveryFolder()).filePath(kept.filter(u"events"_qs).value(0)));
        QVERIFY(eventsCopy.open(QIODevice::ReadOnly));
        QCOMPARE(eventsCopy.readAll(), damaged);
    }

    void olderRecordsAreRewrittenOnLoad()
    {
        m_preferences->setBytes(EventStore::key,
                                JSON([{"title":"Old","date":1,"startTime":2,"endTime":3,"driveFile":{"name":"D","webViewLink":"w"}}]));
        auto store = openStore();
        const QByteArray rewritten = m_preferences->bytes(EventStore::key).value();
        QVERIFY(rewritten.contains(JSON("attachment":{"name":"D","url":"w"})));
        QVERIFY(!rewritten.contains("driveFile"));
        QCOMPARE(storedEvents(), store->events());
    }

    void eventsForDayUsesWholeCalendarDays()
    {
        auto store = openStore();
        const QDate march3(2024, 3, 3);
        store->setEvents({
                timedEvent(u"late"_qs, at(march3, QTime(23, 0)), at(march3.addDays(1), QTime(1, 0))),
                allDayEvent(u"all day"_qs, march3),
                timedEvent(u"instant at midnight"_qs, at(march3), at(march3)),
                timedEvent(u"morning"_qs, at(march3, QTime(9, 0)), at(march3, QTime(10, 0))),
                timedEvent(u"morning twin"_qs, at(march3, QTime(9, 0)), at(march3, QTime(9, 30))),
                timedEvent(u"ends at midnight"_qs, at(march3.addDays(-1), QTime(22, 0)), at(march3)),
        });
        QCOMPARE(titles(store->eventsForDay(at(march3, QTime(12, 0)))),
                 QStringList({u"all day"_qs, u"instant at midnight"_qs, u"morning"_qs, u"morning twin"_qs, u"late"_qs}));
        QCOMPARE(titles(store->eventsForDay(at(march3.addDays(1), QTime(0, 30)))), QStringList({u"late"_qs}));
        QCOMPARE(titles(store->eventsForDay(at(march3.addDays(-1)))), QStringList({u"ends at midnight"_qs}));

        // 10 March 2024 has 23 hours in New York.
        const QDate springDay(2024, 3, 10);
        store->setEvents({allDayEvent(u"spring"_qs, springDay), timedEvent(u"next"_qs, at(springDay.addDays(1)), at(springDay.addDays(1), QTime(1, 0)))});
        QCOMPARE(titles(store->eventsForDay(at(springDay, QTime(23, 30)))), QStringList({u"spring"_qs}));
    }

    void visibleEventsFollowTheShowSettings()
    {
        auto store = openStore();
        const QDate day(2024, 3, 3);
        CalendarEvent google = timedEvent(u"google"_qs, at(day, QTime(9, 0)), at(day, QTime(10, 0)));
        google.googleEventId = u"g"_qs;
        CalendarEvent apple = timedEvent(u"apple"_qs, at(day, QTime(11, 0)), at(day, QTime(12, 0)));
        apple.appleEventId = u"a"_qs;
        const CalendarEvent local = timedEvent(u"local"_qs, at(day, QTime(13, 0)), at(day, QTime(14, 0)));
        store->setEvents({google, apple, local});

        QCOMPARE(titles(store->visibleEventsForDay(at(day))), QStringList({u"google"_qs, u"apple"_qs, u"local"_qs}));
        m_preferences->setBool(EventStore::showGoogleEventsKey, false);
        QCOMPARE(titles(store->visibleEventsForDay(at(day))), QStringList({u"apple"_qs}));
        m_preferences->setBool(EventStore::showAppleEventsKey, false);
        QVERIFY(store->visibleEventsForDay(at(day)).isEmpty());
        m_preferences->setString(EventStore::showGoogleEventsKey, u"no"_qs); // not a bool: counts as shown
        QCOMPARE(titles(store->visibleEventsForDay(at(day))), QStringList({u"google"_qs, u"local"_qs}));
    }

    void everyAssignmentSaves()
    {
        auto store = openStore();
        int reschedules = 0;
        store->setRemindersRescheduler([&](const QList<CalendarEvent> &) { ++reschedules; });
        const CalendarEvent event = timedEvent(u"a"_qs, at(QDate(2024, 3, 3)), at(QDate(2024, 3, 4)));
        store->setEvents({event});
        store->setEvents({event}); // unchanged, still saved and rescheduled
        CalendarEvent renamed = event;
        renamed.title = u"b"_qs;
        store->setEventAt(0, renamed);
        QCOMPARE(reschedules, 3);
        QCOMPARE(storedEvents(), QList<CalendarEvent>{renamed});
    }
};

QTEST_GUILESS_MAIN(TestEventStore)
#include "test_eventstore.moc"
