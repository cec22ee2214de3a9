#include "applecalendarsync.h"
#include "clock.h"
#include "eventstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"
#include "uuid.h"
#include "vdircalendardatabase.h"

#include <libical/ical.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "icsfiles.h"

namespace {

const QTimeZone kNewYorkZone("America/New_York");
const Calendar kNewYork(kNewYorkZone, 1, QLocale(QLocale::English, QLocale::UnitedStates));

Instant newYork(QDate date, QTime time = QTime(0, 0))
{
    return kNewYork.instantAt(date, time);
}

// The window of a pass at this moment runs from 30 January 17:00 UTC to 28 February 2025.
const Instant kNow = utc("2024-02-29T17:00:00Z");

QByteArray timedEvent(const QByteArray &uid, const QByteArray &start, const QByteArray &end, const QByteArray &title)
{
    return calendarText("BEGIN:VEVENT\nUID:" + uid + "\nDTSTART:" + start + "\nDTEND:" + end + "\nSUMMARY:" + title
                        + "\nEND:VEVENT\n");
}

// Monday 4 March 2024 15:00 UTC and the four Mondays after it.
const QByteArray kFiveMondays = calendarText("BEGIN:VEVENT\nUID:five\nDTSTART:20240304T150000Z\nDTEND:20240304T160000Z\n"
                                             "RRULE:FREQ=WEEKLY;COUNT=5\nSUMMARY:Lecture\nEND:VEVENT\n");

QStringList startsOf(const QList<CalendarEvent> &events)
{
    QStringList starts;
    for (const CalendarEvent &event : events)
        starts << utcText(event.startTime);
    return starts;
}

QStringList titlesOf(const QList<CalendarEvent> &events)
{
    QStringList titles;
    for (const CalendarEvent &event : events)
        titles << event.title;
    return titles;
}

// Stores a value of whichever type the variant holds.
void storeValue(Preferences &preferences, const QString &key, const QVariant &value)
{
    if (!value.isValid())
        preferences.remove(key);
    else if (value.metaType() == QMetaType::fromType<QStringList>())
        preferences.setStringList(key, value.toStringList());
    else if (value.metaType() == QMetaType::fromType<QString>())
        preferences.setString(key, value.toString());
    else if (value.metaType() == QMetaType::fromType<bool>())
        preferences.setBool(key, value.toBool());
    else
        qFatal("unexpected stored type");
}

// A vdir root, preferences, the calendar database, the event store and the bridge, all in one
// temporary folder. Change notifications wait a minute unless a test asks for them, so that passes
// run only when a test starts them.
class Harness
{
public:
    explicit Harness(const QByteArray &answer = "granted")
    {
        QDir().mkpath(rootPath());
        if (!answer.isEmpty())
            writeFile(answerPath(), answer + '\n');
        preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir.filePath(QStringLiteral("prefs.sqlite"))));
    }

    QString rootPath() const { return m_dir.filePath(QStringLiteral("calendars")); }
    QString answerPath() const { return m_dir.filePath(QStringLiteral("state/calendar-access")); }
    QString outsidePath() const { return m_dir.filePath(QStringLiteral("outside")); }

    // The calendar folder source/name, with optional metadata files.
    QString addCalendar(const QString &source, const QString &name, const QByteArray &type = {}, bool readOnly = false)
    {
        const QString folder = QDir(rootPath()).filePath(source + u'/' + name);
        QDir().mkpath(folder);
        if (!type.isEmpty())
            writeFile(folder + QStringLiteral("/dayloom-type"), type);
        if (readOnly)
            writeFile(folder + QStringLiteral("/dayloom-read-only"), {});
        return folder;
    }

    QString addEvent(const QString &calendarId, const QString &fileName, const QByteArray &ics)
    {
        const QString path = QDir(rootPath()).filePath(calendarId + u'/' + fileName);
        writeFile(path, ics);
        return path;
    }

    // Opens the database, the store and the bridge afresh on the same files and preferences.
    void open(bool enabled = true, bool attach = true)
    {
        if (enabled)
            preferences->setBool(AppleCalendarSync::enabledKey, true);
        sync.reset();
        store.reset();
        database = std::make_unique<VdirCalendarDatabase>(rootPath(), answerPath(), kNewYorkZone);
        database->setChangeQuietPeriod(60000);
        if (hasPrompt) {
            database->setAccessPrompt([this]() -> QCoro::Task<bool> {
                ++prompts;
                co_return reply;
            });
        }
        store = std::make_unique<EventStore>(*preferences, nullptr, m_dir.filePath(QStringLiteral("Recovered")));
        store->setCalendar(kNewYork);
        sync = std::make_unique<AppleCalendarSync>(*preferences, *database, kNewYork);
        if (attach)
            sync->attach(*store);
    }

    void refresh() { QCoro::waitFor(sync->refresh()); }

    const CalendarEvent &event(qsizetype index) const { return store->events().at(index); }

    bool hasPrompt = true;
    bool reply = true;
    int prompts = 0;

private:
    QTemporaryDir m_dir;

public:
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<VdirCalendarDatabase> database;
    std::unique_ptr<EventStore> store;
    std::unique_ptr<AppleCalendarSync> sync;
};

}

class TestAppleCalendarSync : public QObject
{
    Q_OBJECT

private:
    FixedClock m_clock{kNow};

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        Clock::setShared(&m_clock);
    }
    void cleanupTestCase() { Clock::setShared(nullptr); }

    void occurrenceKeysTruncateTowardZero()
    {
        const auto unix = [](double seconds) { return Instant::fromSeconds(seconds - kReferenceDateUnixSeconds); };
        QCOMPARE(AppleCalendarSync::occurrenceKey(u"Local/c/e.ics"_qs, unix(1709564400.9)), u"Local/c/e.ics|1709564400"_qs);
        QCOMPARE(AppleCalendarSync::occurrenceKey(u"a"_qs, unix(-0.5)), u"a|0"_qs);
        QCOMPARE(AppleCalendarSync::occurrenceKey(u"a"_qs, unix(-86400.5)), u"a|-86400"_qs);
    }

    void allDayTimesRunFromMidnightToMidnight_data()
    {
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<Instant>("start");
        QTest::addColumn<Instant>("end");
        QTest::addColumn<Instant>("expectedStart");
        QTest::addColumn<Instant>("expectedEnd");
        const QDate day1(2024, 3, 5);
        const Instant midnight = newYork(day1);
        QTest::newRow("day 1 00:00 to day 2 23:59:59")
                << true << midnight << newYork(day1.addDays(1), QTime(23, 59, 59)) << midnight << newYork(day1.addDays(2));
        QTest::newRow("exclusive midnight end") << true << midnight << newYork(day1.addDays(2)) << midnight
                                                << newYork(day1.addDays(2));
        QTest::newRow("end equal to the start is one day") << true << midnight << midnight << midnight
                                                           << newYork(day1.addDays(1));
        QTest::newRow("end before the start is one day") << true << midnight << midnight.addingSeconds(-3600)
                                                         << midnight << newYork(day1.addDays(1));
        QTest::newRow("start inside the day") << true << newYork(day1, QTime(10, 0)) << newYork(day1, QTime(10, 0))
                                              << midnight << newYork(day1.addDays(1));
        const QDate spring(2024, 3, 10); // 23 hours long in New York
        QTest::newRow("the day clocks go forward")
                << true << newYork(spring) << newYork(spring, QTime(23, 59, 59)) << newYork(spring)
                << newYork(spring.addDays(1));
        QTest::newRow("timed events keep their times")
                << false << newYork(day1, QTime(23, 0)) << newYork(day1, QTime(23, 0)) << newYork(day1, QTime(23, 0))
                << newYork(day1, QTime(23, 0));
    }

    void allDayTimesRunFromMidnightToMidnight()
    {
        QFETCH(bool, allDay);
        QFETCH(Instant, start);
        QFETCH(Instant, end);
        QFETCH(Instant, expectedStart);
        QFETCH(Instant, expectedEnd);
        DeviceEvent occurrence;
        occurrence.isAllDay = allDay;
        occurrence.start = start;
        occurrence.end = end;
        const auto times = AppleCalendarSync::importedTimes(occurrence, kNewYork);
        QCOMPARE(utcText(times.start), utcText(expectedStart));
        QCOMPARE(utcText(times.end), utcText(expectedEnd));
    }

    void constructionRestoresAndWritesBackChoices_data()
    {
        QTest::addColumn<QVariant>("storedChosen");
        QTest::addColumn<QVariant>("storedNewEvent");
        QTest::addColumn<bool>("hasChosen");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QString>("newEvent");
        QTest::newRow("fresh installation") << QVariant() << QVariant() << false << QStringList{} << QString();
        // Identifiers are only ever compared with the database's, so odd ones are kept as they are.
        const QStringList odd{u"../../outside"_qs, u"Local/c"_qs, u"a|b"_qs};
        QTest::newRow("stored choices") << QVariant(odd) << QVariant(u"Local/c"_qs) << true << odd << u"Local/c"_qs;
        QTest::newRow("values of another type read as absent")
                << QVariant(u"Local/c"_qs) << QVariant(true) << false << QStringList{} << QString();
    }

    void constructionRestoresAndWritesBackChoices()
    {
        QFETCH(QVariant, storedChosen);
        QFETCH(QVariant, storedNewEvent);
        QFETCH(bool, hasChosen);
        QFETCH(QStringList, chosen);
        QFETCH(QString, newEvent);
        Harness harness;
        storeValue(*harness.preferences, AppleCalendarSync::chosenKey, storedChosen);
        storeValue(*harness.preferences, AppleCalendarSync::newEventKey, storedNewEvent);
        if (storedChosen.metaType() == QMetaType::fromType<QString>()) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"stored choice of calendars .*Local/c"_qs));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"stored calendar for new events .*true"_qs));
        }
        harness.open(false);

        QVERIFY(!harness.sync->isEnabled());
        QCOMPARE(harness.sync->hasChosenCalendars(), hasChosen);
        QCOMPARE(harness.sync->chosenIdList(), chosen);
        QCOMPARE(harness.sync->newEventCalendarText(), newEvent);
        QCOMPARE(harness.preferences->stringList(AppleCalendarSync::chosenKey),
                 hasChosen ? std::optional(chosen) : std::nullopt);
        QCOMPARE(harness.preferences->contains(AppleCalendarSync::newEventKey), !newEvent.isEmpty());
    }

    void accessFollowsTheDatabase_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("hasAccess");
        QTest::addColumn<bool>("isDenied");
        QTest::newRow("never asked") << QByteArray() << false << false;
        QTest::newRow("refused") << QByteArray("denied") << false << true;
        QTest::newRow("granted") << QByteArray("granted") << true << false;
    }

    void accessFollowsTheDatabase()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, hasAccess);
        QFETCH(bool, isDenied);
        Harness harness(answer);
        harness.addCalendar(u"Local"_qs, u"c"_qs);
        harness.open();
        QCOMPARE(harness.sync->hasAccess(), hasAccess);
        QCOMPARE(harness.sync->isDenied(), isDenied);
        QCOMPARE(harness.sync->calendars().size(), hasAccess ? 1 : 0);

        // Losing access keeps the list for the settings screen.
        QSignalSpy accessChanged(harness.sync.get(), &AppleCalendarSync::hasAccessChanged);
        harness.database->resetAuthorization();
        harness.sync->refreshAccess();
        QVERIFY(!harness.sync->hasAccess());
        QCOMPARE(accessChanged.size(), hasAccess ? 1 : 0);
        QCOMPARE(harness.sync->calendars().size(), hasAccess ? 1 : 0);
    }

    void calendarsAreSortedWithoutBirthdays()
    {
        Harness harness;
        harness.addCalendar(u"iCloud"_qs, u"home"_qs);
        harness.addCalendar(u"iCloud"_qs, u"birthdays"_qs, "birthday");
        harness.addCalendar(u"Local"_qs, u"beta"_qs);
        harness.addCalendar(u"Local"_qs, u"Alpha"_qs, {}, true);
        harness.addCalendar(u"Work"_qs, u"team"_qs);
        harness.open();
        // Case-sensitive and not localised: upper case sorts before lower case.
        const QList<CalendarInfo> expected{
            {u"Local/Alpha"_qs, u"Alpha"_qs, u"Local"_qs, false},
            {u"Local/beta"_qs, u"beta"_qs, u"Local"_qs, true},
            {u"Work/team"_qs, u"team"_qs, u"Work"_qs, true},
            {u"iCloud/home"_qs, u"home"_qs, u"iCloud"_qs, true},
        };
        QCOMPARE(harness.sync->calendars(), expected);
        QCOMPARE(harness.sync->calendarList().size(), 4);
        const QVariantMap last = harness.sync->calendarList()[3].toMap();
        QCOMPARE(last.value(u"id"_qs).toString(), u"iCloud/home"_qs);
        QCOMPARE(last.value(u"source"_qs).toString(), u"iCloud"_qs);
        QCOMPARE(last.value(u"canEdit"_qs).toBool(), true);
    }

    void defaultCalendarsPreferLocalAndICloud_data()
    {
        QTest::addColumn<QStringList>("calendars"); // source/name:type
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("local and iCloud sources")
                << QStringList{u"Local/c"_qs, u"iCloud/home"_qs, u"Work/team"_qs, u"Mine/m:"_qs}
                << QStringList{u"Local/c"_qs, u"iCloud/home"_qs};
        QTest::newRow("otherwise all but birthdays and subscriptions")
                << QStringList{u"Work/team"_qs, u"Work/birthdays:birthday"_qs, u"Feeds/holidays:subscription"_qs,
                               u"Google/g"_qs}
                << QStringList{u"Google/g"_qs, u"Work/team"_qs};
    }

    void defaultCalendarsPreferLocalAndICloud()
    {
        QFETCH(QStringList, calendars);
        QFETCH(QStringList, expected);
        Harness harness;
        for (const QString &entry : calendars)
            harness.addCalendar(entry.section(u'/', 0, 0), entry.section(u'/', 1).section(u':', 0, 0),
                                entry.section(u':', 1).toUtf8());
        harness.open();
        QStringList ids = harness.sync->defaultCalendarIDs().values();
        ids.sort();
        QCOMPARE(ids, expected);
        QVERIFY(!harness.sync->hasChosenCalendars());
        for (const QString &entry : calendars) {
            const QString id = entry.section(u':', 0, 0);
            QCOMPARE(harness.sync->isCalendarShown(id), expected.contains(id));
        }
    }

    void choosingCalendarsKeepsTheNewEventCalendarShown()
    {
        Harness harness;
        harness.addCalendar(u"Local"_qs, u"c"_qs);
        harness.addCalendar(u"Work"_qs, u"team"_qs);
        harness.addEvent(u"Work/team"_qs, u"review.ics"_qs,
                         timedEvent("review", "20240305T150000Z", "20240305T160000Z", "Review"));
        harness.open();
        QSignalSpy chosenChanged(harness.sync.get(), &AppleCalendarSync::chosenIDsChanged);
        QSignalSpy newEventChanged(harness.sync.get(), &AppleCalendarSync::newEventCalendarIDChanged);

        // Choosing a hidden calendar for new events shows it, and imports it.
        harness.sync->setNewEventCalendar(u"Work/team"_qs);
        QCOMPARE(harness.sync->chosenIdList(), (QStringList{u"Local/c"_qs, u"Work/team"_qs}));
        QCOMPARE(harness.preferences->string(AppleCalendarSync::newEventKey), u"Work/team"_qs);
        QCOMPARE(chosenChanged.size(), 1);
        QCOMPARE(newEventChanged.size(), 1);
        QTRY_COMPARE(titlesOf(harness.store->events()), QStringList{u"Review"_qs});

        // Hiding it clears the new-event choice and removes its events.
        harness.sync->setCalendar(u"Work/team"_qs, false);
        QCOMPARE(harness.sync->chosenIdList(), QStringList{u"Local/c"_qs});
        QCOMPARE(harness.preferences->stringList(AppleCalendarSync::chosenKey), QStringList{u"Local/c"_qs});
        QCOMPARE(harness.sync->newEventCalendarID(), std::nullopt);
        QVERIFY(!harness.preferences->contains(AppleCalendarSync::newEventKey));
        QCOMPARE(newEventChanged.size(), 2);
        QTRY_VERIFY(harness.store->events().isEmpty());

        // Hiding another calendar leaves the choice alone.
        harness.sync->chooseNewEventCalendar(u"Local/c"_qs);
        harness.sync->setCalendar(u"Work/team"_qs, false);
        QCOMPARE(harness.sync->newEventCalendarID(), u"Local/c"_qs);
        harness.sync->chooseNewEventCalendar(QString());
        QCOMPARE(harness.sync->newEventCalendarID(), std::nullopt);
    }

    void startAsksOnlyWhenItShould_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("hasPrompt");
        QTest::addColumn<bool>("reply");
        QTest::addColumn<bool>("enabledBefore");
        QTest::addColumn<bool>("userTurnedOff");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("denied");
        QTest::addColumn<QString>("lastError");
        QTest::newRow("never asked, allowed") << QByteArray() << true << true << false << false << 1 << true << false
                                              << QString();
        QTest::newRow("never asked, refused") << QByteArray() << true << false << false << false << 1 << false << true
                                              << QString();
        QTest::newRow("no window to ask in")
                << QByteArray() << false << true << false << false << 0 << false << false
                << u"There is no window in which to ask for access to your calendars."_qs;
        QTest::newRow("refused before") << QByteArray("denied") << true << true << false << false << 0 << false
                                        << true << QString();
        QTest::newRow("turned off by the user") << QByteArray() << true << true << false << true << 0 << false
                                                << false << QString();
        QTest::newRow("on, with access") << QByteArray("granted") << true << true << true << false << 0 << true
                                         << false << QString();
        QTest::newRow("granted, but off") << QByteArray("granted") << true << true << false << false << 0 << true
                                          << false << QString();
    }

    void startAsksOnlyWhenItShould()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, hasPrompt);
        QFETCH(bool, reply);
        QFETCH(bool, enabledBefore);
        QFETCH(bool, userTurnedOff);
        QFETCH(int, prompts);
        QFETCH(bool, enabled);
        QFETCH(bool, denied);
        QFETCH(QString, lastError);
        Harness harness(answer);
        harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Dentist"));
        harness.hasPrompt = hasPrompt;
        harness.reply = reply;
        if (userTurnedOff)
            harness.preferences->setBool(AppleCalendarSync::userOffKey, true);
        harness.open(enabledBefore);
        QSignalSpy enabledChanged(harness.sync.get(), &AppleCalendarSync::isEnabledChanged);

        QCoro::waitFor(harness.sync->start());
        QCOMPARE(harness.prompts, prompts);
        QCOMPARE(harness.sync->isEnabled(), enabled);
        QCOMPARE(enabledChanged.size(), enabled != enabledBefore ? 1 : 0);
        QCOMPARE(harness.preferences->boolValue(AppleCalendarSync::enabledKey), enabled);
        QCOMPARE(harness.sync->isDenied(), denied);
        QCOMPARE(harness.sync->lastErrorText(), lastError);
        QCOMPARE(titlesOf(harness.store->events()), enabled ? QStringList{u"Dentist"_qs} : QStringList{});
        QCOMPARE(harness.preferences->boolValue(AppleCalendarSync::userOffKey), userTurnedOff);
    }

    void turnOffThenRestartAsksNothing()
    {
        Harness harness{QByteArray()};
        harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Dentist"));
        harness.open(false);
        QCoro::waitFor(harness.sync->start());
        QCOMPARE(harness.prompts, 1);
        CalendarEvent local;
        local.id = Uuid::create();
        local.title = u"Local only"_qs;
        harness.store->add(local);
        QCOMPARE(harness.store->events().size(), 2);

        harness.sync->turnOff();
        QVERIFY(!harness.sync->isEnabled());
        QCOMPARE(titlesOf(harness.store->events()), QStringList{u"Local only"_qs});

        // Even with the answer forgotten, a restart asks nothing and imports nothing.
        harness.open(false);
        harness.database->resetAuthorization();
        QCoro::waitFor(harness.sync->start());
        QCOMPARE(harness.prompts, 1);
        QVERIFY(!harness.sync->isEnabled());
        QCOMPARE(harness.store->events().size(), 1);

        // The settings button asks again and clears the flag.
        QCoro::waitFor(harness.sync->turnOn());
        QCOMPARE(harness.prompts, 2);
        QVERIFY(harness.sync->isEnabled());
        QVERIFY(!harness.preferences->boolValue(AppleCalendarSync::userOffKey));
        QCOMPARE(harness.store->events().size(), 2);
    }

    void importsTheOccurrencesOfTheWindow_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<QStringList>("starts");
        QTest::addColumn<QStringList>("ends");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("five occurrences of a weekly event")
                << kFiveMondays << false
                << QStringList{u"2024-03-04T15:00:00Z"_qs, u"2024-03-11T15:00:00Z"_qs, u"2024-03-18T15:00:00Z"_qs,
                               u"2024-03-25T15:00:00Z"_qs, u"2024-04-01T15:00:00Z"_qs}
                << QStringList{u"2024-03-04T16:00:00Z"_qs, u"2024-03-11T16:00:00Z"_qs, u"2024-03-18T16:00:00Z"_qs,
                               u"2024-03-25T16:00:00Z"_qs, u"2024-04-01T16:00:00Z"_qs}
                << QStringList(5, u"Lecture"_qs);
        // 22 and 29 January lie before the window; 29 January is moved into it and 19 February out
        // of it; 12 February is excluded.
        QTest::newRow("overrides moved in and out, EXDATE")
                << calendarText("BEGIN:VEVENT\nUID:s\nDTSTART:20240122T150000Z\nDTEND:20240122T160000Z\n"
                                "RRULE:FREQ=WEEKLY;COUNT=6\nEXDATE:20240212T150000Z\nSUMMARY:Seminar\nEND:VEVENT\n"
                                "BEGIN:VEVENT\nUID:s\nRECURRENCE-ID:20240129T150000Z\nDTSTART:20240201T150000Z\n"
                                "DTEND:20240201T160000Z\nSUMMARY:Seminar (moved in)\nEND:VEVENT\n"
                                "BEGIN:VEVENT\nUID:s\nRECURRENCE-ID:20240219T150000Z\nDTSTART:20240110T150000Z\n"
                                "DTEND:20240110T160000Z\nSUMMARY:Seminar (moved out)\nEND:VEVENT\n")
                << false << QStringList{u"2024-02-01T15:00:00Z"_qs, u"2024-02-05T15:00:00Z"_qs, u"2024-02-26T15:00:00Z"_qs}
                << QStringList{u"2024-02-01T16:00:00Z"_qs, u"2024-02-05T16:00:00Z"_qs, u"2024-02-26T16:00:00Z"_qs}
                << QStringList{u"Seminar (moved in)"_qs, u"Seminar"_qs, u"Seminar"_qs};
        QTest::newRow("a zone with daylight saving") << fixture(u"new-york-dst.ics"_qs) << false
                << QStringList{u"2024-03-01T14:00:00Z"_qs, u"2024-03-08T14:00:00Z"_qs, u"2024-03-15T13:00:00Z"_qs}
                << QStringList{u"2024-03-01T15:00:00Z"_qs, u"2024-03-08T15:00:00Z"_qs, u"2024-03-15T14:00:00Z"_qs}
                << QStringList(3, u"Breakfast"_qs);
        QTest::newRow("two whole days") << calendarText("BEGIN:VEVENT\nUID:d\nDTSTART;VALUE=DATE:20240305\n"
                                                        "DTEND;VALUE=DATE:20240307\nEND:VEVENT\n")
                                        << true << QStringList{u"2024-03-05T05:00:00Z"_qs}
                                        << QStringList{u"2024-03-07T05:00:00Z"_qs} << QStringList{u"(No title)"_qs};
        QTest::newRow("a whole day ending at its start")
                << calendarText("BEGIN:VEVENT\nUID:d\nDTSTART;VALUE=DATE:20240305\nDTEND;VALUE=DATE:20240305\n"
                                "SUMMARY:Holiday\nEND:VEVENT\n")
                << true << QStringList{u"2024-03-05T05:00:00Z"_qs} << QStringList{u"2024-03-06T05:00:00Z"_qs}
                << QStringList{u"Holiday"_qs};
    }

    void importsTheOccurrencesOfTheWindow()
    {
        QFETCH(QByteArray, ics);
        QFETCH(bool, allDay);
        QFETCH(QStringList, starts);
        QFETCH(QStringList, ends);
        QFETCH(QStringList, titles);
        Harness harness;
        harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, ics);
        harness.open();
        harness.refresh();

        const QList<CalendarEvent> &events = harness.store->events();
        QCOMPARE(startsOf(events), starts);
        QCOMPARE(titlesOf(events), titles);
        QSet<QString> keys;
        for (qsizetype i = 0; i < events.size(); ++i) {
            const CalendarEvent &event = events[i];
            QCOMPARE(utcText(event.endTime), ends[i]);
            QCOMPARE(event.isAllDay, allDay);
            QCOMPARE(event.appleEventId, AppleCalendarSync::occurrenceKey(u"Local/c/e.ics"_qs, event.startTime));
            QCOMPARE(event.date, kNewYork.startOfDay(event.startTime));
            QVERIFY(Uuid::isCanonical(event.id));
            QCOMPARE(event.colorName, u"Peacock"_qs);
            QCOMPARE(event.category, u"Event"_qs);
            QVERIFY(!event.isDirty);
            QCOMPARE(event.googleEventId, std::nullopt);
            keys.insert(*event.appleEventId);
        }
        QCOMPARE(keys.size(), events.size());
    }

    void importKeepsLocalFieldsAndSavesOnlyChanges()
    {
        Harness harness;
        const QString path = harness.addEvent(u"Local/c"_qs, u"e.ics"_qs,
                                              timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Dentist"));
        harness.open();
        QSignalSpy changed(harness.store.get(), &EventStore::eventsChanged);
        harness.refresh();
        QCOMPARE(changed.size(), 1);
        harness.refresh();
        QCOMPARE(changed.size(), 1); // nothing changed, nothing saved

        CalendarEvent recoloured = harness.event(0);
        recoloured.colorName = u"Tomato"_qs;
        recoloured.category = u"Exam"_qs;
        recoloured.instructor = u"Dr. Okafor"_qs;
        recoloured.reminderMinutes = {15, 60};
        recoloured.attachment = EventAttachment{u"Notes"_qs, u"https://example.com/notes"_qs};
        harness.store->setEventAt(0, recoloured);

        // Another program moves the event: a new start gives a new key, yet it is the same event.
        writeFile(path, calendarText("BEGIN:VEVENT\nUID:e\nDTSTART:20240305T170000Z\nDTEND:20240305T180000Z\n"
                                     "SUMMARY:Dentist (later)\nDESCRIPTION:Bring the card\nLOCATION:Main St\nEND:VEVENT\n"));
        harness.refresh();
        QCOMPARE(harness.store->events().size(), 1);
        CalendarEvent expected = recoloured;
        expected.title = u"Dentist (later)"_qs;
        expected.notes = u"Bring the card"_qs;
        expected.location = u"Main St"_qs;
        expected.startTime = utc("2024-03-05T17:00:00Z");
        expected.endTime = utc("2024-03-05T18:00:00Z");
        expected.appleEventId = AppleCalendarSync::occurrenceKey(u"Local/c/e.ics"_qs, expected.startTime);
        QCOMPARE(harness.event(0), expected);
    }

    void vanishedEventsLeaveWhenTheyOverlapTheWindow()
    {
        Harness harness;
        harness.addEvent(u"Local/c"_qs, u"kept.ics"_qs, timedEvent("k", "20240305T150000Z", "20240305T160000Z", "Kept"));
        const QString doomed = harness.addEvent(u"Local/c"_qs, u"doomed.ics"_qs,
                                                timedEvent("d", "20240306T150000Z", "20240306T160000Z", "Doomed"));
        harness.open();
        harness.refresh();
        QCOMPARE(harness.store->events().size(), 2);

        CalendarEvent beforeWindow; // imported long ago; its file is gone too
        beforeWindow.id = Uuid::create();
        beforeWindow.title = u"Old"_qs;
        beforeWindow.startTime = utc("2024-01-29T15:00:00Z");
        beforeWindow.endTime = utc("2024-01-30T16:59:59Z");
        beforeWindow.appleEventId = u"Local/c/old.ics|1706540400"_qs;
        CalendarEvent local;
        local.id = Uuid::create();
        local.title = u"Local"_qs;
        local.startTime = utc("2024-03-06T15:00:00Z");
        local.endTime = local.startTime;
        harness.store->setEvents(harness.store->events() + QList<CalendarEvent>{beforeWindow, local});

        QVERIFY(QFile::remove(doomed));
        harness.refresh();
        QCOMPARE(titlesOf(harness.store->events()), (QStringList{u"Kept"_qs, u"Old"_qs, u"Local"_qs}));

        // Without access every imported event goes; local ones stay.
        harness.database->resetAuthorization();
        harness.refresh();
        QCOMPARE(titlesOf(harness.store->events()), QStringList{u"Local"_qs});
    }

    void unreadableFilesAreSkipped()
    {
        Harness harness;
        harness.addEvent(u"Local/c"_qs, u"malformed.ics"_qs, fixture(u"malformed.ics"_qs));
        harness.addEvent(u"Local/c"_qs, u"no-start.ics"_qs, fixture(u"no-start.ics"_qs));
        harness.addEvent(u"Local/c"_qs, u"good.ics"_qs, timedEvent("g", "20240305T150000Z", "20240305T160000Z", "Good"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipped the calendar file .*malformed\\.ics"_qs));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipped the calendar file .*no-start\\.ics"_qs));
        harness.open();
        harness.refresh();
        QCOMPARE(titlesOf(harness.store->events()), QStringList{u"Good"_qs});
    }

    void writeBackRoundTrips_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<Instant>("start");
        QTest::addColumn<Instant>("end");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QString>("libicalStart");
        QTest::addColumn<int>("count");
        QTest::newRow("timed, in the file's zone")
                << fixture(u"new-york-meeting.ics"_qs) << 0 << false << utc("2024-03-12T19:00:00Z")
                << utc("2024-03-12T20:15:00Z")
                << QByteArrayList{"DTSTART;TZID=America/New_York:20240312T150000",
                                  "DTEND;TZID=America/New_York:20240312T161500"}
                << u"2024-03-12T19:00:00Z"_qs << 1;
        QTest::newRow("whole days") << calendarText("BEGIN:VEVENT\nUID:days\nDTSTART;VALUE=DATE:20240305\n"
                                                    "DTEND;VALUE=DATE:20240307\nSUMMARY:Fair\nEND:VEVENT\n")
                                    << 0 << true << newYork(QDate(2024, 3, 8)) << newYork(QDate(2024, 3, 10))
                                    << QByteArrayList{"DTSTART;VALUE=DATE:20240308", "DTEND;VALUE=DATE:20240310"}
                                    << QString() << 1;
        QTest::newRow("one occurrence of a series")
                << kFiveMondays << 2 << false << utc("2024-03-19T17:00:00Z") << utc("2024-03-19T18:30:00Z")
                << QByteArrayList{"RECURRENCE-ID:20240318T150000Z", "DTSTART:20240319T170000Z", "DTEND:20240319T183000Z"}
                << u"2024-03-19T17:00:00Z"_qs << 5;
    }

    void writeBackRoundTrips()
    {
        QFETCH(QByteArray, ics);
        QFETCH(int, index);
        QFETCH(bool, allDay);
        QFETCH(Instant, start);
        QFETCH(Instant, end);
        QFETCH(QByteArrayList, lines);
        QFETCH(QString, libicalStart);
        QFETCH(int, count);
        Harness harness;
        const QString path = harness.addEvent(u"iCloud/work"_qs, u"item.ics"_qs, ics);
        const QString uid = QString::fromUtf8(ics).section(u"UID:"_qs, 1).section(u'\n', 0, 0).trimmed();
        harness.open();
        harness.refresh();
        QCOMPARE(harness.store->events().size(), count);

        CalendarEvent edited = harness.event(index);
        edited.title = u"Moved"_qs;
        edited.location.clear();
        edited.startTime = start;
        edited.endTime = end;
        edited.date = kNewYork.startOfDay(start);
        harness.store->update(edited);
        QCOMPARE(harness.sync->lastError(), std::nullopt);
        const CalendarEvent &stored = harness.event(index);
        QVERIFY(!stored.isDirty);
        QCOMPARE(stored.appleEventId, AppleCalendarSync::occurrenceKey(u"iCloud/work/item.ics"_qs, start));

        // Any vdir reader finds one calendar, the original UID and file name, and the new times.
        const QByteArray text = readAll(path);
        for (const QByteArray &line : lines)
            QVERIFY2(text.contains(QByteArray(line + "\r\n")), text.constData());
        QVERIFY(text.contains("SUMMARY:Moved\r\n"));
        QVERIFY(!text.contains("LOCATION"));
        const ParsedFile parsed = parseWithLibical(text);
        QCOMPARE(parsed.calendars, 1);
        QCOMPARE(QSet<QString>(parsed.uids.cbegin(), parsed.uids.cend()), QSet<QString>{uid});
        if (!allDay)
            QVERIFY(parsed.startsUtc.contains(libicalStart));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList{u"item.ics"_qs});

        // The next import reads the same times back and changes nothing.
        const QList<CalendarEvent> before = harness.store->events();
        harness.refresh();
        QCOMPARE(harness.store->events(), before);
    }

    void deletingOneOccurrenceLeavesTheOthers()
    {
        Harness harness;
        const QString path = harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, kFiveMondays);
        harness.open();
        harness.refresh();
        const QList<CalendarEvent> before = harness.store->events();
        harness.store->remove(before[2]);
        QCOMPARE(harness.sync->lastError(), std::nullopt);
        QVERIFY(readAll(path).contains("EXDATE:20240318T150000Z\r\n"));

        harness.refresh();
        QCOMPARE(harness.store->events(), (QList<CalendarEvent>{before[0], before[1], before[3], before[4]}));
    }

    void readOnlyCalendarsRefuseWriteBack()
    {
        Harness harness;
        harness.addCalendar(u"iCloud"_qs, u"shared"_qs, {}, true);
        const QString path = harness.addEvent(u"iCloud/shared"_qs, u"e.ics"_qs,
                                              timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Shared"));
        harness.preferences->setString(AppleCalendarSync::newEventKey, u"iCloud/shared"_qs);
        harness.open();
        harness.refresh();
        const CalendarEvent imported = harness.event(0);

        CalendarEvent edited = imported;
        edited.title = u"Changed"_qs;
        harness.store->update(edited);
        QCOMPARE(harness.sync->lastError(), AppleCalendarSync::readOnlyChangeMessage);
        QVERIFY(harness.event(0).isDirty);
        QCOMPARE(harness.event(0).appleEventId, imported.appleEventId);

        harness.store->remove(imported);
        QCOMPARE(harness.sync->lastError(), AppleCalendarSync::readOnlyDeletionMessage);
        QCOMPARE(harness.store->events().size(), 1);
        QCOMPARE(readAll(path), timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Shared"));

        // A read-only calendar chosen for new events receives none and reports nothing.
        QSignalSpy errorChanged(harness.sync.get(), &AppleCalendarSync::lastErrorChanged);
        CalendarEvent fresh = imported;
        fresh.id = Uuid::create();
        fresh.appleEventId.reset();
        QCOMPARE(harness.sync->createEvent(fresh), std::nullopt);
        QCOMPARE(errorChanged.size(), 0);
    }

    void failedWritesNameTheReason()
    {
        Harness harness;
        // libical cannot read one line of this file, so the database refuses to rewrite it.
        const QByteArray unreadable = calendarText("BEGIN:VEVENT\nUID:u\nDTSTART:20240305T150000Z\n"
                                                   "this line is no property\nSUMMARY:Kept\nEND:VEVENT\n");
        harness.addEvent(u"Local/c"_qs, u"odd.ics"_qs, unreadable);
        const QString fine = harness.addEvent(u"Local/c"_qs, u"fine.ics"_qs,
                                              timedEvent("f", "20240306T150000Z", "20240306T160000Z", "Fine"));
        harness.open();
        harness.refresh();
        QCOMPARE(titlesOf(harness.store->events()), (QStringList{u"Kept"_qs, u"Fine"_qs}));
        const QString reason = u"The event's file has lines that could not be understood, so it was left unchanged."_qs;

        CalendarEvent odd = harness.event(0);
        odd.title = u"Changed"_qs;
        harness.store->update(odd);
        QCOMPARE(harness.sync->lastError(), AppleCalendarSync::saveFailedPrefix + reason);
        harness.store->remove(odd);
        QCOMPARE(harness.sync->lastError(), AppleCalendarSync::deleteFailedPrefix + reason);
        QCOMPARE(harness.store->events().size(), 2);

        // A success clears the message.
        CalendarEvent renamed = harness.event(1);
        renamed.title = u"Fine, renamed"_qs;
        harness.store->update(renamed);
        QCOMPARE(harness.sync->lastError(), std::nullopt);

        // An event whose file is gone cannot be written, and counts as deleted.
        QVERIFY(QFile::remove(fine));
        renamed.title = u"Lost"_qs;
        harness.store->update(renamed);
        QCOMPARE(harness.sync->lastError(), AppleCalendarSync::notFoundMessage);
        QVERIFY(harness.event(1).isDirty);
        harness.store->remove(harness.event(1));
        QCOMPARE(titlesOf(harness.store->events()), QStringList{u"Changed"_qs});
    }

    void newEventsGoToTheChosenCalendar_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("created");
        QTest::newRow("chosen and writable") << true << u"Local/c"_qs << true;
        QTest::newRow("bridge off") << false << u"Local/c"_qs << false;
        QTest::newRow("no calendar chosen") << true << QString() << false;
        QTest::newRow("calendar gone") << true << u"Local/gone"_qs << false;
        QTest::newRow("identifier leading outside") << true << u"../outside"_qs << false;
        QTest::newRow("escaped separator") << true << u"Local/..%2F..%2Foutside"_qs << false;
    }

    void newEventsGoToTheChosenCalendar()
    {
        QFETCH(bool, enabled);
        QFETCH(QString, chosen);
        QFETCH(bool, created);
        Harness harness;
        const QString folder = harness.addCalendar(u"Local"_qs, u"c"_qs);
        QDir().mkpath(harness.outsidePath());
        if (!chosen.isEmpty())
            harness.preferences->setString(AppleCalendarSync::newEventKey, chosen);
        harness.open(enabled);

        CalendarEvent event;
        event.id = Uuid::create();
        event.title = u"Dentist"_qs;
        event.isAllDay = true;
        event.startTime = newYork(QDate(2024, 3, 5));
        event.endTime = newYork(QDate(2024, 3, 7));
        event.date = event.startTime;
        harness.store->add(event);

        const CalendarEvent &stored = harness.event(0);
        QCOMPARE(stored.isDirty, !created);
        QCOMPARE(stored.appleEventId.has_value(), created);
        const QStringList files = QDir(folder).entryList(QDir::Files);
        QCOMPARE(files.size(), created ? 1 : 0);
        QVERIFY(QDir(harness.outsidePath()).isEmpty());
        QCOMPARE(harness.sync->lastError(), std::nullopt);
        if (!created)
            return;
        QCOMPARE(stored.appleEventId, AppleCalendarSync::occurrenceKey(u"Local/c/"_qs + files[0], event.startTime));
        const QByteArray text = readAll(QDir(folder).filePath(files[0]));
        QVERIFY(text.contains("DTSTART;VALUE=DATE:20240305\r\n"));
        QVERIFY(text.contains("DTEND;VALUE=DATE:20240307\r\n"));
        QVERIFY(!text.contains("DESCRIPTION"));

        // The next import recognises it instead of adding a copy.
        harness.refresh();
        QCOMPARE(harness.store->events().size(), 1);
        QCOMPARE(harness.event(0), stored);
    }

    void findEventReadsEveryKeyForm_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("start"); // empty: nothing found
        const QString id = u"Local/c/e.ics"_qs;
        const QString third = u"2024-03-18T15:00:00Z"_qs;
        const QString first = u"2024-03-04T15:00:00Z"_qs;
        QTest::newRow("occurrence key") << id + u"|1710774000"_qs << third;
        QTest::newRow("fractional second") << id + u"|1710774000.9"_qs << third;
        QTest::newRow("extra pieces are ignored") << id + u"|1710774000|x"_qs << third;
        QTest::newRow("no bar: the event itself") << id << first;
        QTest::newRow("empty second") << id + u"|"_qs << first;
        QTest::newRow("second of no occurrence") << id + u"|1710774001"_qs << first;
        QTest::newRow("not a number") << id + u"|soon"_qs << first;
        QTest::newRow("beyond any calendar") << id + u"|1e300"_qs << first;
        QTest::newRow("not finite") << id + u"|inf"_qs << first;
        QTest::newRow("only bars") << u"||"_qs << QString();
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("another file") << u"Local/c/other.ics|1710774000"_qs << QString();
        QTest::newRow("a path leading outside") << u"Local/c/../../../outside/x.ics|1710774000"_qs << QString();
    }

    void findEventReadsEveryKeyForm()
    {
        QFETCH(QString, key);
        QFETCH(QString, start);
        Harness harness;
        harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, kFiveMondays);
        harness.open();
        const auto found = harness.sync->findEvent(key);
        QCOMPARE(found.has_value(), !start.isEmpty());
        if (found) {
            QCOMPARE(found->identifier, u"Local/c/e.ics"_qs);
            QCOMPARE(utcText(found->start), start);
        }
    }

    void overlappingPassesReturnAtOnce()
    {
        Harness harness;
        harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, kFiveMondays);
        harness.open();
        harness.sync->attach(*harness.store); // attaching again keeps one observer
        QSignalSpy syncing(harness.sync.get(), &AppleCalendarSync::isSyncingChanged);
        QSignalSpy changed(harness.store.get(), &EventStore::eventsChanged);

        emit harness.database->changed();
        QVERIFY(harness.sync->isSyncing());
        emit harness.database->changed();
        auto second = harness.sync->refresh();
        QVERIFY(second.isReady());
        QVERIFY(harness.store->events().isEmpty());

        QTRY_VERIFY(!harness.sync->isSyncing());
        QCOMPARE(syncing.size(), 2); // one pass: on, then off
        QCOMPARE(changed.size(), 1);
        QCOMPARE(harness.store->events().size(), 5);
    }

    void databaseChangesStartAPass()
    {
        Harness harness;
        const QString folder = harness.addCalendar(u"Local"_qs, u"c"_qs);
        harness.open();
        harness.database->setChangeQuietPeriod(20);
        writeFile(folder + QStringLiteral("/e.ics"), timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Outside"));
        QTRY_COMPARE(titlesOf(harness.store->events()), QStringList{u"Outside"_qs});
    }

    void hooksForgetABridgeThatIsGone()
    {
        Harness harness;
        harness.addEvent(u"Local/c"_qs, u"e.ics"_qs, timedEvent("e", "20240305T150000Z", "20240305T160000Z", "Dentist"));
        harness.preferences->setString(AppleCalendarSync::newEventKey, u"Local/c"_qs);
        harness.open();
        harness.refresh();
        harness.sync.reset();
        QVERIFY(harness.store->hasAppleHooks());

        CalendarEvent edited = harness.event(0);
        edited.title = u"Changed"_qs;
        harness.store->update(edited);
        QVERIFY(harness.event(0).isDirty);
        harness.store->remove(harness.event(0));
        QCOMPARE(harness.store->events().size(), 1);
        CalendarEvent fresh = edited;
        fresh.id = Uuid::create();
        fresh.appleEventId.reset();
        harness.store->add(fresh);
        QCOMPARE(harness.event(1).appleEventId, std::nullopt);
        QCOMPARE(QDir(harness.rootPath() + u"/Local/c"_qs).entryList(QDir::Files).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestAppleCalendarSync)
#include "test_applecalendarsync.moc"
