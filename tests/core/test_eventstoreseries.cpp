#include "eventcodec.h"
#include "countingsynchroniser.h"
#include "eventstore.h"
#include "fakegooglesignin.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "uuid.h"

#include <QSignalSpy>
#include "fakegooglesignin.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const Calendar kNewYork(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));

Instant at(QDate date, QTime time = QTime(0, 0))
{
    return kNewYork.instantAt(date, time);
}

CalendarEvent templateEvent(QDate day, QTime start, QTime end)
{
    CalendarEvent event;
    event.id = Uuid::create();
    event.title = u"Seminar"_qs;
    event.startTime = at(day, start);
    event.endTime = at(day, end);
    event.date = at(day);
    event.googleEventId = u"stale"_qs; // members never inherit a Google link
    event.reminderMinutes = {10};
    return event;
}

QStringList wallClocks(const QList<CalendarEvent> &events)
{
    QStringList list;
    for (const CalendarEvent &event : events)
        list << kNewYork.localDateTime(event.startTime).toString(u"MM-dd HH:mm"_qs) + u"–"_qs
                        + kNewYork.localDateTime(event.endTime).toString(u"MM-dd HH:mm"_qs);
    return list;
}

}

class TestEventStoreSeries : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    FakeGoogleSignInClient m_signIn{FakeGoogleSignInClient::user(QString())};
    CountingSynchroniser m_synchroniser;
    std::unique_ptr<EventStore> m_store;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir->filePath(u"prefs.sqlite"_qs)));
        m_store = std::make_unique<EventStore>(*m_preferences, nullptr, m_dir->filePath(u"r"_qs));
        m_store->setCalendar(kNewYork);
        m_store->setSignInClient(&m_signIn);
        m_store->setSynchroniser(&m_synchroniser);
        m_synchroniser.runs = 0;
    }

    void addingASeriesStoresOneEventPerDayInOneSave()
    {
        QSignalSpy saved(m_store.get(), &EventStore::eventsChanged);
        // Weekly on Mondays and Wednesdays from Wednesday 1 May 2024 until 15 May.
        m_store->addSeries(templateEvent(QDate(2024, 5, 1), QTime(9, 0), QTime(10, 30)), RepeatRule::weekly, {2, 4},
                           at(QDate(2024, 5, 15)));
        QCOMPARE(saved.count(), 1);
        QCOMPARE(m_synchroniser.runs, 1);
        const QList<CalendarEvent> &members = m_store->events();
        QCOMPARE(wallClocks(members), QStringList({u"05-01 09:00–05-01 10:30"_qs, u"05-06 09:00–05-06 10:30"_qs,
                                                   u"05-08 09:00–05-08 10:30"_qs, u"05-13 09:00–05-13 10:30"_qs,
                                                   u"05-15 09:00–05-15 10:30"_qs}));
        QSet<QString> ids;
        for (const CalendarEvent &member : members) {
            QCOMPARE(member.seriesId, members[0].seriesId);
            QVERIFY(member.isDirty);
            QVERIFY(!member.googleEventId);
            QCOMPARE(member.date, kNewYork.startOfDay(member.startTime));
            QCOMPARE(member.reminderMinutes, QList<int>{10});
            ids.insert(member.id);
        }
        QCOMPARE(ids.size(), 5);
        QCOMPARE(m_store->seriesCount(members[2]), 5);
        QCOMPARE(EventCodec::decode(*m_preferences->bytes(EventStore::key))->size(), 5);
    }

    void seriesKeepWallClockAcrossDaylightSaving()
    {
        // Daily from Friday 8 March 2024 across the spring-forward night of 10 March.
        m_store->addSeries(templateEvent(QDate(2024, 3, 8), QTime(2, 30), QTime(3, 30)), RepeatRule::daily, {},
                           at(QDate(2024, 3, 11)));
        QCOMPARE(wallClocks(m_store->events()),
                 QStringList({u"03-08 02:30–03-08 03:30"_qs, u"03-09 02:30–03-09 03:30"_qs,
                              u"03-10 03:00–03-10 03:30"_qs, u"03-11 02:30–03-11 03:30"_qs}));

        // Moving the series to 09:15 for two hours puts every member on its own day at 09:15.
        CalendarEvent edited = m_store->events()[1];
        edited.title = u"Moved"_qs;
        edited.startTime = at(QDate(2024, 3, 20), QTime(9, 15)); // the edited day is not applied
        edited.endTime = at(QDate(2024, 3, 20), QTime(11, 15));
        m_store->updateSeries(edited);
        QCOMPARE(wallClocks(m_store->events()),
                 QStringList({u"03-08 09:15–03-08 11:15"_qs, u"03-09 09:15–03-09 11:15"_qs,
                              u"03-10 09:15–03-10 11:15"_qs, u"03-11 09:15–03-11 11:15"_qs}));
        for (const CalendarEvent &member : m_store->events()) {
            QCOMPARE(member.title, u"Moved"_qs);
            QVERIFY(member.isDirty);
            QCOMPARE(member.date, kNewYork.startOfDay(member.startTime));
        }
    }

    void switchingASeriesToAllDaySpansTheEditedDays()
    {
        m_store->addSeries(templateEvent(QDate(2024, 3, 8), QTime(9, 0), QTime(10, 0)), RepeatRule::daily, {},
                           at(QDate(2024, 3, 10)));
        CalendarEvent edited = m_store->events()[0];
        edited.isAllDay = true;
        edited.startTime = at(QDate(2024, 3, 8));
        edited.endTime = at(QDate(2024, 3, 10)); // two days
        m_store->updateSeries(edited);
        QCOMPARE(wallClocks(m_store->events()), QStringList({u"03-08 00:00–03-10 00:00"_qs, u"03-09 00:00–03-11 00:00"_qs,
                                                             u"03-10 00:00–03-12 00:00"_qs}));
    }

    void deletingASeriesQueuesEachGoogleIdOnce()
    {
        m_store->addSeries(templateEvent(QDate(2024, 5, 1), QTime(9, 0), QTime(10, 0)), RepeatRule::daily, {},
                           at(QDate(2024, 5, 3)));
        QList<CalendarEvent> events = m_store->events();
        for (int i = 0; i < events.size(); ++i)
            events[i].googleEventId = u"g%1"_qs.arg(i);
        CalendarEvent single = templateEvent(QDate(2024, 5, 1), QTime(9, 0), QTime(10, 0));
        events.append(single);
        m_store->setEvents(events);
        m_synchroniser.runs = 0;

        m_store->removeSeries(m_store->events()[1]);
        QCOMPARE(m_store->events().size(), 1);
        QCOMPARE(m_store->events()[0].id, single.id);
        QCOMPARE(m_store->pendingDeletes(), QStringList({u"g0"_qs, u"g1"_qs, u"g2"_qs}));
        QCOMPARE(m_preferences->stringList(EventStore::pendingDeletesKey), m_store->pendingDeletes());
        QCOMPARE(m_synchroniser.runs, 1);
    }

    void localCalendarHooksSeeEveryMember()
    {
        int created = 0;
        bool allComplete = true;
        m_store->setAppleCreator([&](const CalendarEvent &member) -> std::optional<QString> {
            allComplete = allComplete && member.seriesId.has_value(); // members reach the hook complete
            return ++created == 2 ? std::nullopt : std::optional<QString>(u"cal/%1"_qs.arg(created));
        });
        m_store->addSeries(templateEvent(QDate(2024, 5, 1), QTime(9, 0), QTime(10, 0)), RepeatRule::daily, {},
                           at(QDate(2024, 5, 3)));
        QCOMPARE(created, 3);
        QVERIFY(allComplete);
        QCOMPARE(m_store->events()[0].appleEventId, u"cal/1"_qs);
        QVERIFY(!m_store->events()[0].isDirty);
        QVERIFY(!m_store->events()[1].appleEventId); // refused: stays local and goes to Google
        QVERIFY(m_store->events()[1].isDirty);

        // The local calendar refuses to delete the first member: it stays, the others go.
        m_store->setAppleDeleter([](const QString &id) { return id != u"cal/1"_qs; });
        m_store->removeSeries(m_store->events()[0]);
        QCOMPARE(m_store->events().size(), 1);
        QCOMPARE(m_store->events()[0].appleEventId, u"cal/1"_qs);
    }

    void singleEventsPassThrough()
    {
        CalendarEvent single = templateEvent(QDate(2024, 5, 1), QTime(9, 0), QTime(10, 0));
        single.googleEventId.reset();
        m_store->add(single);
        QCOMPARE(m_store->seriesCount(single), 1);
        single.title = u"Edited"_qs;
        m_store->updateSeries(single);
        QCOMPARE(m_store->events()[0].title, u"Edited"_qs);
        m_store->removeSeries(single);
        QVERIFY(m_store->events().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestEventStoreSeries)
#include "test_eventstoreseries.moc"
