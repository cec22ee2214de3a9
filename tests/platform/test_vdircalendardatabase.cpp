#include "clock.h"
#include "uuid.h"
#include "vdircalendardatabase.h"

#include <libical/ical.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "icsfiles.h"

#include <unistd.h>

namespace {

QStringList startsOf(const QList<DeviceEvent> &events)
{
    QStringList starts;
    for (const DeviceEvent &event : events)
        starts.append(utcText(event.start));
    return starts;
}

const QTimeZone kBerlin("Europe/Berlin");

// A vdir root in a temporary folder, and databases opened on it.
class TestRoot
{
public:
    TestRoot() : m_root(m_dir.filePath(QStringLiteral("calendars"))) { QDir().mkpath(m_root); }

    QString path() const { return m_root; }
    QString answerPath() const { return m_dir.filePath(QStringLiteral("state/calendar-access")); }

    // The calendar folder source/name, created with an optional display name.
    QString addCalendar(const QString &source, const QString &name, const QByteArray &displayName = {})
    {
        const QString folder = QDir(m_root).filePath(source + u'/' + name);
        QDir().mkpath(folder);
        if (!displayName.isEmpty())
            writeFile(folder + QStringLiteral("/displayname"), displayName);
        return folder;
    }

    // The file Local/c/e.ics, holding `ics`.
    QString addEvent(const QByteArray &ics)
    {
        const QString path = addCalendar(QStringLiteral("Local"), QStringLiteral("c")) + QStringLiteral("/e.ics");
        writeFile(path, ics);
        return path;
    }

    std::unique_ptr<VdirCalendarDatabase> open(const QByteArray &answer = "granted")
    {
        if (!answer.isEmpty())
            writeFile(answerPath(), answer + '\n');
        auto database = std::make_unique<VdirCalendarDatabase>(m_root, answerPath(), kBerlin);
        database->setChangeQuietPeriod(50);
        return database;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

}

class TestVdirCalendarDatabase : public QObject
{
    Q_OBJECT

private:
    FixedClock m_clock{utc("2024-02-20T08:00:00Z")};

private slots:
    void initTestCase() { Clock::setShared(&m_clock); }
    void cleanupTestCase() { Clock::setShared(nullptr); }

    void layoutGivesSourcesCalendarsAndTypes()
    {
        TestRoot root;
        root.addCalendar(QStringLiteral("Local"), QStringLiteral("personal"), "Personal\n");
        root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("home"));
        const QString birthdays = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("birthdays"), "Birthdays");
        writeFile(birthdays + QStringLiteral("/dayloom-type"), "birthday\n");
        const QString work = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("work"));
        writeFile(work + QStringLiteral("/dayloom-read-only"), "");
        const QString feeds = QFileInfo(root.addCalendar(QStringLiteral("Feeds"), QStringLiteral("holidays"))).path();
        writeFile(feeds + QStringLiteral("/dayloom-type"), "subscribed");
        root.addCalendar(QStringLiteral("Odd"), QStringLiteral("a|b%c"));
        root.addCalendar(QStringLiteral(".git"), QStringLiteral("objects"));
        writeFile(root.path() + QStringLiteral("/stray.ics"), "");

        auto database = root.open();
        const auto calendar = [](const char *id, const char *title, CalendarType type, const char *source,
                                 CalendarSourceType sourceType, bool writable) {
            const QString sourceTitle = QString::fromUtf8(source);
            return DeviceCalendar{QString::fromUtf8(id), QString::fromUtf8(title), type, sourceTitle, sourceTitle,
                                  sourceType, writable};
        };
        const QList<DeviceCalendar> expected{
            calendar("Feeds/holidays", "holidays", CalendarType::Subscription, "Feeds", CalendarSourceType::Subscribed, false),
            calendar("Local/personal", "Personal", CalendarType::Local, "Local", CalendarSourceType::Local, true),
            calendar("Odd/a%7Cb%25c", "a|b%c", CalendarType::CalDav, "Odd", CalendarSourceType::CalDav, true),
            calendar("iCloud/birthdays", "Birthdays", CalendarType::Birthday, "iCloud", CalendarSourceType::CalDav, false),
            calendar("iCloud/home", "home", CalendarType::CalDav, "iCloud", CalendarSourceType::CalDav, true),
            calendar("iCloud/work", "work", CalendarType::CalDav, "iCloud", CalendarSourceType::CalDav, false),
        };
        QCOMPARE(database->calendars(), expected);
        QCOMPARE(database->calendar(QStringLiteral("Odd/a%7Cb%25c")), expected[2]);
        QCOMPARE(database->calendar(QStringLiteral("iCloud/missing")), std::nullopt);
        QCOMPARE(database->calendar(QStringLiteral("Odd/a|b%c")), std::nullopt);
    }

    void onlyIcsFilesAreEvents()
    {
        TestRoot root;
        const QString folder = root.addCalendar(QStringLiteral("Local"), QStringLiteral("personal"));
        writeFile(folder + QStringLiteral("/all-day.ics"), fixture(QStringLiteral("all-day.ics")));
        for (const char *ignored : {"notes.txt", ".hidden.ics", "all-day.ics.tmp", "all-day.ics~", ".ics"})
            writeFile(folder + u'/' + QString::fromUtf8(ignored), fixture(QStringLiteral("all-day.ics")));
        QDir().mkpath(folder + QStringLiteral("/nested.ics"));

        auto database = root.open();
        const auto events = database->events(utc("2024-01-01T00:00:00Z"), utc("2024-02-01T00:00:00Z"));
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].identifier, u"Local/personal/all-day.ics"_qs);
        QCOMPARE(events[0].calendarIdentifier, u"Local/personal"_qs);
    }

    void seriesExpandsWithExdateAndOverrides_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QStringList>("starts");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("january: override moved in from february, EXDATE skipped")
                << QByteArray("2024-01-01T00:00:00Z") << QByteArray("2024-02-01T00:00:00Z")
                << QStringList{u"2024-01-02T09:00:00Z"_qs, u"2024-01-08T10:00:00Z"_qs, u"2024-01-15T10:00:00Z"_qs,
                               u"2024-01-31T15:00:00Z"_qs}
                << QStringList{u"Standup (moved early)"_qs, u"Standup"_qs, u"Standup"_qs, u"Standup (moved)"_qs};
        QTest::newRow("february: the moved occurrence is gone")
                << QByteArray("2024-02-01T00:00:00Z") << QByteArray("2024-03-01T00:00:00Z")
                << QStringList{u"2024-02-05T10:00:00Z"_qs} << QStringList{u"Standup"_qs};
        QTest::newRow("original day of an override is empty")
                << QByteArray("2024-01-29T00:00:00Z") << QByteArray("2024-01-30T00:00:00Z") << QStringList{}
                << QStringList{};
        QTest::newRow("an occurrence running into the window counts")
                << QByteArray("2024-01-08T10:30:00Z") << QByteArray("2024-01-08T12:00:00Z")
                << QStringList{u"2024-01-08T10:00:00Z"_qs} << QStringList{u"Standup"_qs};
        QTest::newRow("one ending at the window's start does not")
                << QByteArray("2024-01-08T11:00:00Z") << QByteArray("2024-01-08T12:00:00Z") << QStringList{}
                << QStringList{};
    }

    void seriesExpandsWithExdateAndOverrides()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QStringList, starts);
        QFETCH(QStringList, titles);
        TestRoot root;
        writeFile(root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("work")) + QStringLiteral("/standup.ics"),
                  fixture(QStringLiteral("weekly-series.ics")));
        auto database = root.open();

        const auto events = database->events(utc(from.constData()), utc(to.constData()));
        QCOMPARE(startsOf(events), starts);
        QSet<qint64> recurrenceIds;
        for (qsizetype i = 0; i < events.size(); ++i) {
            QCOMPARE(events[i].title, titles[i]);
            QCOMPARE(events[i].identifier, u"iCloud/work/standup.ics"_qs);
            QVERIFY(!events[i].identifier.contains(u'|'));
            QVERIFY(events[i].recurrenceId.has_value());
            recurrenceIds.insert(*events[i].recurrenceId);
        }
        QCOMPARE(recurrenceIds.size(), events.size());
        QCOMPARE(database->events(utc(from.constData()), utc(to.constData())), events); // stable between queries
    }

    void timesResolveTheirZoneAndDatesAreAllDay_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<QStringList>("starts");
        QTest::addColumn<QStringList>("ends");
        const QStringList newYorkStarts{u"2024-03-01T14:00:00Z"_qs, u"2024-03-08T14:00:00Z"_qs, u"2024-03-15T13:00:00Z"_qs};
        const QStringList newYorkEnds{u"2024-03-01T15:00:00Z"_qs, u"2024-03-08T15:00:00Z"_qs, u"2024-03-15T14:00:00Z"_qs};
        QTest::newRow("VTIMEZONE of the file, across the spring change")
                << fixture(QStringLiteral("new-york-dst.ics")) << false << newYorkStarts << newYorkEnds;
        QTest::newRow("libical's built-in zone without VTIMEZONE")
                << calendarText("BEGIN:VEVENT\nUID:b\nDTSTART;TZID=America/New_York:20240301T090000\n"
                                "DTEND;TZID=America/New_York:20240301T100000\nRRULE:FREQ=WEEKLY;COUNT=3\nEND:VEVENT\n")
                << false << newYorkStarts << newYorkEnds;
        const QStringList fixedOffset{u"2024-03-01T12:00:00Z"_qs, u"2024-03-08T12:00:00Z"_qs, u"2024-03-15T12:00:00Z"_qs};
        QTest::newRow("the file's VTIMEZONE wins over the built-in one; no end")
                << calendarText("BEGIN:VTIMEZONE\nTZID:America/New_York\nBEGIN:STANDARD\nTZOFFSETFROM:-0300\n"
                                "TZOFFSETTO:-0300\nDTSTART:19700101T000000\nEND:STANDARD\nEND:VTIMEZONE\n"
                                "BEGIN:VEVENT\nUID:c\nDTSTART;TZID=America/New_York:20240301T090000\n"
                                "RRULE:FREQ=WEEKLY;COUNT=3\nEND:VEVENT\n")
                << false << fixedOffset << fixedOffset;
        QTest::newRow("floating times in the database's zone, across its spring change")
                << calendarText("BEGIN:VEVENT\nUID:d\nDTSTART:20240322T090000\nDTEND:20240322T100000\n"
                                "RRULE:FREQ=WEEKLY;COUNT=3\nEND:VEVENT\n")
                << false << QStringList{u"2024-03-22T08:00:00Z"_qs, u"2024-03-29T08:00:00Z"_qs, u"2024-04-05T07:00:00Z"_qs}
                << QStringList{u"2024-03-22T09:00:00Z"_qs, u"2024-03-29T09:00:00Z"_qs, u"2024-04-05T08:00:00Z"_qs};
        // Midnight in Berlin is 23:00 UTC the day before.
        QTest::newRow("two days") << fixture(QStringLiteral("all-day.ics")) << true
                                  << QStringList{u"2024-01-04T23:00:00Z"_qs} << QStringList{u"2024-01-06T23:00:00Z"_qs};
        QTest::newRow("no end is one day")
                << calendarText("BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:20240105\nEND:VEVENT\n") << true
                << QStringList{u"2024-01-04T23:00:00Z"_qs} << QStringList{u"2024-01-05T23:00:00Z"_qs};
        QTest::newRow("end equal to start is one day")
                << calendarText("BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:20240105\nDTEND;VALUE=DATE:20240105\nEND:VEVENT\n")
                << true << QStringList{u"2024-01-04T23:00:00Z"_qs} << QStringList{u"2024-01-05T23:00:00Z"_qs};
        QTest::newRow("repeating days keep midnight")
                << calendarText("BEGIN:VEVENT\nUID:a\nDTSTART;VALUE=DATE:20240105\nRRULE:FREQ=YEARLY;COUNT=2\nEND:VEVENT\n")
                << true << QStringList{u"2024-01-04T23:00:00Z"_qs, u"2025-01-04T23:00:00Z"_qs}
                << QStringList{u"2024-01-05T23:00:00Z"_qs, u"2025-01-05T23:00:00Z"_qs};
    }

    void timesResolveTheirZoneAndDatesAreAllDay()
    {
        QFETCH(QByteArray, ics);
        QFETCH(bool, allDay);
        QFETCH(QStringList, starts);
        QFETCH(QStringList, ends);
        TestRoot root;
        root.addEvent(ics);
        auto database = root.open();
        const auto events = database->events(utc("2024-01-01T00:00:00Z"), utc("2025-12-31T00:00:00Z"));
        QCOMPARE(startsOf(events), starts);
        QStringList actualEnds;
        for (const DeviceEvent &event : events) {
            QCOMPARE(event.isAllDay, allDay);
            actualEnds.append(utcText(event.end));
        }
        QCOMPARE(actualEnds, ends);
    }

    void aRuleRepeatingEverySecondStaysBounded()
    {
        TestRoot root;
        root.addEvent(calendarText("BEGIN:VEVENT\nUID:s\nDTSTART:20240101T000000Z\nRRULE:FREQ=SECONDLY\nEND:VEVENT\n"));
        auto database = root.open();
        const auto events = database->events(utc("2024-01-01T00:00:00Z"), utc("2025-01-01T00:00:00Z"));
        QVERIFY(!events.isEmpty());
        QVERIFY(events.size() <= 20000);
        QCOMPARE(utcText(events.first().start), u"2024-01-01T00:00:00Z"_qs);
    }

    void unreadableFilesAreSkippedAndNamedOnce()
    {
        TestRoot root;
        const QString folder = root.addCalendar(QStringLiteral("Local"), QStringLiteral("c"));
        writeFile(folder + QStringLiteral("/malformed.ics"), fixture(QStringLiteral("malformed.ics")));
        writeFile(folder + QStringLiteral("/no-start.ics"), fixture(QStringLiteral("no-start.ics")));
        writeFile(folder + QStringLiteral("/good.ics"), fixture(QStringLiteral("all-day.ics")));
        auto database = root.open();

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipped the calendar file .*malformed\\.ics: it is not an iCalendar file"_qs));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipped the calendar file .*no-start\\.ics: its event has no start"_qs));
        const Instant from = utc("2024-01-01T00:00:00Z");
        const Instant to = utc("2024-02-01T00:00:00Z");
        QCOMPARE(database->events(from, to).size(), 1);

        QTest::failOnWarning(QRegularExpression(u".*"_qs));
        QCOMPARE(database->events(from, to).size(), 1);
        QCOMPARE(database->event(u"Local/c/malformed.ics"_qs), std::nullopt);
    }

    void identifiersNeverLeaveTheRoot_data()
    {
        QTest::addColumn<QString>("identifier");
        QTest::newRow("parent folders") << u"../outside/secret.ics"_qs;
        QTest::newRow("parent inside the path") << u"Local/../../outside/secret.ics"_qs;
        QTest::newRow("absolute path") << u"/tmp/secret.ics"_qs;
        QTest::newRow("escaped separator") << u"Local/c/..%2Fsecret.ics"_qs;
        QTest::newRow("occurrence key") << u"Local/c/e.ics|1700000000"_qs;
        QTest::newRow("too short") << u"Local/e.ics"_qs;
        QTest::newRow("not an ics file") << u"Local/c/displayname"_qs;
        QTest::newRow("link to a file outside") << u"Local/c/link.ics"_qs;
        QTest::newRow("calendar linked outside") << u"Local/linked/secret.ics"_qs;
    }

    void identifiersNeverLeaveTheRoot()
    {
        QFETCH(QString, identifier);
        TestRoot root;
        QTemporaryDir outside;
        const QString secret = outside.filePath(QStringLiteral("secret.ics"));
        writeFile(secret, fixture(QStringLiteral("all-day.ics")));
        const QString folder = root.addCalendar(QStringLiteral("Local"), QStringLiteral("c"));
        QVERIFY(QFile::link(secret, folder + QStringLiteral("/link.ics")));
        QVERIFY(QFile::link(outside.path(), QFileInfo(folder).path() + QStringLiteral("/linked")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Ignored the calendar folder .*linked: it leads outside"_qs));
        auto database = root.open();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Skipped the calendar file .*link\\.ics: it leads outside"_qs));
        QCOMPARE(database->events(utc("2024-01-01T00:00:00Z"), utc("2024-02-01T00:00:00Z")), QList<DeviceEvent>{});
        QCOMPARE(database->calendars().size(), 1);

        QCOMPARE(database->event(identifier), std::nullopt);
        DeviceEvent event{identifier, u"Local/c"_qs, u"Changed"_qs, {}, {}, true, utc("2024-01-05T00:00:00Z"),
                          utc("2024-01-06T00:00:00Z"), {}};
        QVERIFY(std::holds_alternative<CalendarDatabaseError>(database->saveEvent(event)));
        QVERIFY(database->removeEvent(event).has_value());
        QCOMPARE(readAll(secret), fixture(QStringLiteral("all-day.ics")));
    }

    void accessFollowsTheAnswerAndTheRoot_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("rootExists");
        QTest::addColumn<CalendarAuthorization>("status");
        QTest::newRow("never asked") << QByteArray() << true << CalendarAuthorization::NotDetermined;
        QTest::newRow("refused") << QByteArray("denied") << true << CalendarAuthorization::Denied;
        QTest::newRow("unknown answer asks again") << QByteArray("maybe") << true << CalendarAuthorization::NotDetermined;
        QTest::newRow("granted") << QByteArray("granted") << true << CalendarAuthorization::FullAccess;
        QTest::newRow("granted, no root yet") << QByteArray("granted") << false << CalendarAuthorization::FullAccess;
    }

    void accessFollowsTheAnswerAndTheRoot()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, rootExists);
        QFETCH(CalendarAuthorization, status);
        TestRoot root;
        root.addEvent(fixture(QStringLiteral("all-day.ics")));
        if (!rootExists)
            QVERIFY(QDir(root.path()).removeRecursively());
        if (answer == "maybe")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"Ignored the calendar access answer"_qs));
        auto database = root.open(answer);

        QCOMPARE(database->authorizationStatus(), status);
        const bool readable = status == CalendarAuthorization::FullAccess && rootExists;
        QCOMPARE(database->calendars().size(), readable ? 1 : 0);
        QCOMPARE(database->events(utc("2024-01-01T00:00:00Z"), utc("2024-02-01T00:00:00Z")).size(), readable ? 1 : 0);
        if (status != CalendarAuthorization::FullAccess) {
            const auto saved = database->saveEvent(DeviceEvent{{}, u"Local/c"_qs, u"New"_qs, {}, {}, false,
                                                               utc("2024-01-05T10:00:00Z"), utc("2024-01-05T11:00:00Z"), {}});
            QCOMPARE(std::get<CalendarDatabaseError>(saved).description, u"Dayloom is not allowed to use your calendars."_qs);
        }
    }

    void fileSystemPermissionsLimitAccess()
    {
        if (::geteuid() == 0)
            QSKIP("file permissions do not bind the superuser");
        TestRoot root;
        auto database = root.open();
        QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::ExeOwner);
        QCOMPARE(database->authorizationStatus(), CalendarAuthorization::Restricted);
        QFile::setPermissions(root.path(), QFile::WriteOwner);
        QCOMPARE(database->authorizationStatus(), CalendarAuthorization::Denied);
        QFile::setPermissions(root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void requestAsksOnceAndRemembers()
    {
        TestRoot root;
        auto database = root.open(QByteArray());
        const auto noWindow = QCoro::waitFor(database->requestFullAccess());
        QVERIFY(std::holds_alternative<CalendarDatabaseError>(noWindow));
        QCOMPARE(database->authorizationStatus(), CalendarAuthorization::NotDetermined);

        int asked = 0;
        bool reply = true;
        const auto prompt = [&]() -> QCoro::Task<bool> {
            ++asked;
            co_return reply;
        };
        database->setAccessPrompt(prompt);
        QCOMPARE(std::get<bool>(QCoro::waitFor(database->requestFullAccess())), true);
        QCOMPARE(std::get<bool>(QCoro::waitFor(database->requestFullAccess())), true);
        QCOMPARE(asked, 1);

        auto reopened = std::make_unique<VdirCalendarDatabase>(root.path(), root.answerPath(), kBerlin);
        reopened->setAccessPrompt(prompt);
        QCOMPARE(reopened->authorizationStatus(), CalendarAuthorization::FullAccess);

        reopened->resetAuthorization();
        QCOMPARE(reopened->authorizationStatus(), CalendarAuthorization::NotDetermined);
        reply = false;
        QCOMPARE(std::get<bool>(QCoro::waitFor(reopened->requestFullAccess())), false);
        QCOMPARE(asked, 2);
        QCOMPARE(VdirCalendarDatabase(root.path(), root.answerPath(), kBerlin).authorizationStatus(),
                 CalendarAuthorization::Denied);
    }

    void savingAnEventRewritesItsFile()
    {
        TestRoot root;
        const QString path = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("work")) + QStringLiteral("/meeting.ics");
        writeFile(path, fixture(QStringLiteral("new-york-meeting.ics")));
        auto database = root.open();
        auto event = *database->event(u"iCloud/work/meeting.ics"_qs);
        QCOMPARE(utcText(event.start), u"2024-03-12T18:00:00Z"_qs);
        QCOMPARE(event.recurrenceId, std::nullopt);

        event.title = u"Budget review (Zürich)"_qs;
        event.notes = QString();
        event.location.reset();
        event.start = utc("2024-03-12T19:00:00Z");
        event.end = utc("2024-03-12T20:15:00.700Z"); // seconds are what the file keeps
        const auto saved = std::get<DeviceEvent>(database->saveEvent(event));
        QCOMPARE(saved.identifier, event.identifier);
        QCOMPARE(utcText(saved.end), u"2024-03-12T20:15:00Z"_qs);

        const QByteArray text = readAll(path);
        QVERIFY(text.contains("DTSTART;TZID=America/New_York:20240312T150000\r\n"));
        QVERIFY(!text.contains("LOCATION"));
        const ParsedFile parsed = parseWithLibical(text);
        QCOMPARE(parsed.calendars, 1);
        QCOMPARE(parsed.uids, QStringList{u"new-york-meeting"_qs});
        QCOMPARE(parsed.startsUtc, QStringList{u"2024-03-12T19:00:00Z"_qs});

        const auto reread = database->events(utc("2024-03-12T00:00:00Z"), utc("2024-03-13T00:00:00Z"));
        QCOMPARE(reread, QList<DeviceEvent>{saved});
        QCOMPARE(saved.title, u"Budget review (Zürich)"_qs);
        QCOMPARE(saved.notes, std::nullopt); // libical cannot read an empty text back
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files), QStringList{u"meeting.ics"_qs});
    }

    void savingAnOccurrenceWritesAnOverride()
    {
        TestRoot root;
        const QString path = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("work")) + QStringLiteral("/standup.ics");
        writeFile(path, fixture(QStringLiteral("weekly-series.ics")));
        auto database = root.open();
        const Instant from = utc("2024-01-01T00:00:00Z");
        const Instant to = utc("2024-03-01T00:00:00Z");
        DeviceEvent third = database->events(from, to)[2];
        QCOMPARE(utcText(third.start), u"2024-01-15T10:00:00Z"_qs);

        third.title = u"Standup with guests"_qs;
        third.start = utc("2024-01-16T12:00:00Z");
        third.end = utc("2024-01-16T13:00:00Z");
        const auto saved = std::get<DeviceEvent>(database->saveEvent(third));
        QCOMPARE(saved.recurrenceId, third.recurrenceId);
        QCOMPARE(startsOf(database->events(from, to)),
                 (QStringList{u"2024-01-02T09:00:00Z"_qs, u"2024-01-08T10:00:00Z"_qs, u"2024-01-16T12:00:00Z"_qs,
                              u"2024-01-31T15:00:00Z"_qs, u"2024-02-05T10:00:00Z"_qs}));
        QCOMPARE(database->events(utc("2024-01-16T00:00:00Z"), utc("2024-01-17T00:00:00Z")), QList<DeviceEvent>{saved});

        DeviceEvent again = saved;
        again.title = u"Standup, second edit"_qs;
        QVERIFY(std::holds_alternative<DeviceEvent>(database->saveEvent(again)));
        const ParsedFile parsed = parseWithLibical(readAll(path));
        QCOMPARE(parsed.calendars, 1);
        QCOMPARE(parsed.uids, QStringList(4, u"weekly-standup"_qs));
        QCOMPARE(parsed.recurrenceIds, (QStringList{u"20240129T100000Z"_qs, u"20240212T100000Z"_qs, u"20240115T100000Z"_qs}));
    }

    void overridesAndExdatesKeepTheSeriesForm_data()
    {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::addColumn<QStringList>("startsAfter");
        QTest::newRow("zone") << fixture(QStringLiteral("new-york-dst.ics")) << 3600
                              << QByteArrayList{"RECURRENCE-ID;TZID=America/New_York:20240315T090000",
                                                "DTSTART;TZID=America/New_York:20240315T100000",
                                                "EXDATE;TZID=America/New_York:20240308T090000"}
                              << QStringList{u"2024-03-01T14:00:00Z"_qs, u"2024-03-15T14:00:00Z"_qs};
        QTest::newRow("dates")
                << calendarText("BEGIN:VEVENT\nUID:d\nDTSTART;VALUE=DATE:20240301\nRRULE:FREQ=WEEKLY;COUNT=3\nEND:VEVENT\n")
                << 86400
                << QByteArrayList{"RECURRENCE-ID;VALUE=DATE:20240315", "DTSTART;VALUE=DATE:20240316",
                                  "EXDATE;VALUE=DATE:20240308"}
                << QStringList{u"2024-02-29T23:00:00Z"_qs, u"2024-03-15T23:00:00Z"_qs};
        QTest::newRow("floating")
                << calendarText("BEGIN:VEVENT\nUID:f\nDTSTART:20240301T090000\nDTEND:20240301T093000\n"
                                "RRULE:FREQ=WEEKLY;COUNT=3\nEND:VEVENT\n")
                << 3600 << QByteArrayList{"RECURRENCE-ID:20240315T090000", "DTSTART:20240315T100000", "EXDATE:20240308T090000"}
                << QStringList{u"2024-03-01T08:00:00Z"_qs, u"2024-03-15T09:00:00Z"_qs};
    }

    void overridesAndExdatesKeepTheSeriesForm()
    {
        QFETCH(QByteArray, ics);
        QFETCH(int, shift);
        QFETCH(QByteArrayList, lines);
        QFETCH(QStringList, startsAfter);
        TestRoot root;
        const QString path = root.addEvent(ics);
        auto database = root.open();
        const Instant from = utc("2024-02-25T00:00:00Z");
        const Instant to = utc("2024-04-01T00:00:00Z");
        const auto before = database->events(from, to);
        QCOMPARE(before.size(), 3);

        DeviceEvent last = before[2];
        last.title = u"Later"_qs;
        last.start = last.start.addingSeconds(shift);
        last.end = last.end.addingSeconds(shift);
        QVERIFY(std::holds_alternative<DeviceEvent>(database->saveEvent(last)));
        QCOMPARE(database->removeEvent(before[1]), std::nullopt);

        const QByteArray text = readAll(path);
        for (const QByteArray &line : lines)
            QVERIFY2(text.contains(QByteArray(line + "\r\n")), line.constData());
        const auto after = database->events(from, to);
        QCOMPARE(startsOf(after), startsAfter);
        QCOMPARE(after[1].title, u"Later"_qs);
        QCOMPARE(after[1].isAllDay, before[2].isAllDay);
    }

    void removingOccurrencesKeepsTheRest()
    {
        TestRoot root;
        const QString folder = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("work"));
        writeFile(folder + QStringLiteral("/standup.ics"), fixture(QStringLiteral("weekly-series.ics")));
        writeFile(folder + QStringLiteral("/conference.ics"), fixture(QStringLiteral("all-day.ics")));
        auto database = root.open();
        const Instant from = utc("2024-01-01T00:00:00Z");
        const Instant to = utc("2024-03-01T00:00:00Z");
        const auto before = database->events(from, to);
        QCOMPARE(before.size(), 6);

        QCOMPARE(database->removeEvent(before[1]), std::nullopt); // the conference
        QCOMPARE(database->removeEvent(before[2]), std::nullopt); // a plain occurrence, 8 January
        QCOMPARE(database->removeEvent(before[4]), std::nullopt); // a moved one, 31 January
        QCOMPARE(startsOf(database->events(from, to)),
                 (QStringList{u"2024-01-02T09:00:00Z"_qs, u"2024-01-15T10:00:00Z"_qs, u"2024-02-05T10:00:00Z"_qs}));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/conference.ics")));

        const ParsedFile parsed = parseWithLibical(readAll(folder + QStringLiteral("/standup.ics")));
        QCOMPARE(parsed.recurrenceIds, QStringList{u"20240212T100000Z"_qs});
        QCOMPARE(database->removeEvent(before[1]), CalendarDatabaseError{u"The event no longer exists."_qs});
    }

    void createdEventsGetTheirOwnFile_data()
    {
        QTest::addColumn<bool>("allDay");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<QByteArray>("end");
        QTest::addColumn<QByteArray>("startLine");
        QTest::addColumn<QByteArray>("endLine");
        QTest::addColumn<QByteArray>("expectedEnd");
        QTest::newRow("timed, in UTC") << false << QByteArray("2024-01-05T10:00:00Z") << QByteArray("2024-01-05T11:30:00Z")
                                       << QByteArray("DTSTART:20240105T100000Z") << QByteArray("DTEND:20240105T113000Z")
                                       << QByteArray("2024-01-05T11:30:00Z");
        QTest::newRow("all-day, end a second before midnight")
                << true << QByteArray("2024-01-04T23:00:00Z") << QByteArray("2024-01-06T22:59:59Z")
                << QByteArray("DTSTART;VALUE=DATE:20240105") << QByteArray("DTEND;VALUE=DATE:20240107")
                << QByteArray("2024-01-06T23:00:00Z");
        QTest::newRow("all-day, end at the start")
                << true << QByteArray("2024-01-04T23:00:00Z") << QByteArray("2024-01-04T23:00:00Z")
                << QByteArray("DTSTART;VALUE=DATE:20240105") << QByteArray("DTEND;VALUE=DATE:20240106")
                << QByteArray("2024-01-05T23:00:00Z");
    }

    void createdEventsGetTheirOwnFile()
    {
        QFETCH(bool, allDay);
        QFETCH(QByteArray, start);
        QFETCH(QByteArray, end);
        QFETCH(QByteArray, startLine);
        QFETCH(QByteArray, endLine);
        QFETCH(QByteArray, expectedEnd);
        TestRoot root;
        const QString folder = root.addCalendar(QStringLiteral("Local"), QStringLiteral("personal"));
        auto database = root.open();

        const DeviceEvent draft{{}, u"Local/personal"_qs, u"Dentist"_qs, {}, u"Main St"_qs, allDay,
                                utc(start.constData()), utc(end.constData()), 42};
        const auto created = std::get<DeviceEvent>(database->saveEvent(draft));
        const QString fileName = created.identifier.section(u'/', 2);
        QVERIFY(created.identifier.startsWith(u"Local/personal/"_qs));
        QVERIFY(Uuid::isCanonical(fileName.chopped(4)));
        QVERIFY(fileName.endsWith(u".ics"_qs));
        QCOMPARE(created.recurrenceId, std::nullopt);
        QCOMPARE(utcText(created.end), QString::fromLatin1(expectedEnd));

        const QByteArray text = readAll(QDir(folder).filePath(fileName));
        QVERIFY2(text.contains(QByteArray(startLine + "\r\n")), text.constData());
        QVERIFY2(text.contains(QByteArray(endLine + "\r\n")), text.constData());
        QVERIFY(text.contains("DTSTAMP:20240220T080000Z\r\n"));
        QCOMPARE(parseWithLibical(text).uids, QStringList{fileName.chopped(4)});
        QCOMPARE(database->event(created.identifier), created);
    }

    void readOnlyCalendarsRefuseWrites_data()
    {
        QTest::addColumn<QByteArray>("markerFile");
        QTest::addColumn<QByteArray>("markerContent");
        QTest::newRow("read-only marker") << QByteArray("dayloom-read-only") << QByteArray();
        QTest::newRow("birthday calendar") << QByteArray("dayloom-type") << QByteArray("birthday");
        QTest::newRow("subscription") << QByteArray("dayloom-type") << QByteArray("subscription");
    }

    void readOnlyCalendarsRefuseWrites()
    {
        QFETCH(QByteArray, markerFile);
        QFETCH(QByteArray, markerContent);
        TestRoot root;
        const QString folder = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("shared"));
        writeFile(folder + u'/' + QString::fromLatin1(markerFile), markerContent);
        writeFile(folder + QStringLiteral("/standup.ics"), fixture(QStringLiteral("weekly-series.ics")));
        auto database = root.open();
        QVERIFY(!database->calendar(u"iCloud/shared"_qs)->isWritable);

        DeviceEvent occurrence = database->events(utc("2024-01-08T00:00:00Z"), utc("2024-01-09T00:00:00Z")).value(0);
        occurrence.title = u"Changed"_qs;
        const CalendarDatabaseError readOnly{u"The calendar is read-only."_qs};
        QCOMPARE(std::get<CalendarDatabaseError>(database->saveEvent(occurrence)), readOnly);
        QCOMPARE(database->removeEvent(occurrence), readOnly);
        occurrence.identifier.clear();
        QCOMPARE(std::get<CalendarDatabaseError>(database->saveEvent(occurrence)), readOnly);
        QCOMPARE(readAll(folder + QStringLiteral("/standup.ics")), fixture(QStringLiteral("weekly-series.ics")));
        QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
    }

    void filesWithUnreadableLinesAreLeftUnchanged_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("editable");
        QTest::newRow("a line that is no property") << QByteArray("this line is no property") << false;
        QTest::newRow("a value libical cannot parse") << QByteArray("DTEND:tomorrow") << false;
        // libical drops an empty property with an error of its own; nothing is lost with it.
        QTest::newRow("an empty description") << QByteArray("DESCRIPTION:") << true;
    }

    void filesWithUnreadableLinesAreLeftUnchanged()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, editable);
        TestRoot root;
        const QByteArray original = calendarText("BEGIN:VEVENT\nUID:a\nDTSTART:20240105T100000Z\n" + line
                                                 + "\nSUMMARY:Kept\nEND:VEVENT\n");
        const QString path = root.addEvent(original);
        auto database = root.open();
        DeviceEvent event = *database->event(u"Local/c/e.ics"_qs);
        QCOMPARE(event.title, u"Kept"_qs);

        event.title = u"Changed"_qs;
        const auto saved = database->saveEvent(event);
        if (!editable) {
            QCOMPARE(std::get<CalendarDatabaseError>(saved).description,
                     u"The event's file has lines that could not be understood, so it was left unchanged."_qs);
            QVERIFY(database->removeEvent(event).has_value());
            QCOMPARE(readAll(path), original);
            return;
        }
        QVERIFY(std::holds_alternative<DeviceEvent>(saved));
        const QByteArray text = readAll(path);
        QVERIFY(text.contains("SUMMARY:Changed"));
        QVERIFY(!text.contains("X-LIC-ERROR"));
    }

    void changesAreAnnouncedOnceSettled()
    {
        TestRoot root;
        const QString folder = root.addCalendar(QStringLiteral("Local"), QStringLiteral("c"));
        auto database = root.open();
        QSignalSpy changed(database.get(), &CalendarDatabase::changed);

        for (int i = 0; i < 3; ++i)
            writeFile(folder + QStringLiteral("/e%1.ics").arg(i), fixture(QStringLiteral("all-day.ics")));
        QVERIFY(changed.wait(2000));
        QTest::qWait(200);
        QCOMPARE(changed.size(), 1);

        // A calendar that appears is watched from then on.
        const QString added = root.addCalendar(QStringLiteral("iCloud"), QStringLiteral("new"));
        QVERIFY(changed.wait(2000));
        QTest::qWait(100);
        changed.clear();
        writeFile(added + QStringLiteral("/e.ics"), fixture(QStringLiteral("all-day.ics")));
        QVERIFY(changed.wait(2000));

        // The database's own writes are announced too.
        QTest::qWait(100);
        changed.clear();
        DeviceEvent event = *database->event(u"iCloud/new/e.ics"_qs);
        event.title = u"Renamed"_qs;
        QVERIFY(std::holds_alternative<DeviceEvent>(database->saveEvent(event)));
        QVERIFY(changed.wait(2000));
    }
};

QTEST_GUILESS_MAIN(TestVdirCalendarDatabase)
#include "test_vdircalendardatabase.moc"
