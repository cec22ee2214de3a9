#include "calendar.h"
#include "clock.h"
#include "uuid.h"

#include <QTest>

namespace {

Calendar zoneCalendar(const char *zone, int firstWeekday = 1)
{
    return Calendar(QTimeZone(zone), firstWeekday, QLocale(QLocale::English, QLocale::UnitedStates));
}

// Wall-clock reading of an instant in the calendar's zone, for readable comparisons.
QString wallClock(const Calendar &calendar, Instant t)
{
    return calendar.localDateTime(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss t"));
}

Instant at(const Calendar &calendar, const char *wallClockText)
{
    const QDateTime dt = QDateTime::fromString(QString::fromLatin1(wallClockText), QStringLiteral("yyyy-MM-dd HH:mm"));
    return calendar.instantAt(dt.date(), dt.time());
}

}

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void instantIsSecondsSince2001()
    {
        const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
        QCOMPARE(Instant::fromDateTime(reference).seconds, 0.0);
        QCOMPARE(Instant::fromDateTime(reference.addSecs(90)).seconds, 90.0);
        QCOMPARE(Instant::fromSeconds(-1.5).toDateTime(), reference.addMSecs(-1500));
    }

    void addDaysKeepsWallClock_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QByteArray>("start");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("expected");
        // Spring forward: 02:00 -> 03:00 on 31 March 2024 in Berlin, 10 March 2024 in New York.
        QTest::newRow("berlin 01:30 before spring night")
                << QByteArray("Europe/Berlin") << QByteArray("2024-03-30 01:30") << 1 << u"2024-03-31 01:30:00 CET"_qs;
        QTest::newRow("berlin 09:00 across spring night")
                << QByteArray("Europe/Berlin") << QByteArray("2024-03-30 09:00") << 1 << u"2024-03-31 09:00:00 CEST"_qs;
        QTest::newRow("berlin 02:30 into the gap moves to its end")
                << QByteArray("Europe/Berlin") << QByteArray("2024-03-30 02:30") << 1 << u"2024-03-31 03:00:00 CEST"_qs;
        QTest::newRow("new york 02:30 into the gap")
                << QByteArray("America/New_York") << QByteArray("2024-03-09 02:30") << 1 << u"2024-03-10 03:00:00 EDT"_qs;
        // Fall back: 03:00 -> 02:00 on 27 October 2024 in Berlin; 02:30 happens twice.
        QTest::newRow("berlin repeated 02:30 takes the first")
                << QByteArray("Europe/Berlin") << QByteArray("2024-10-26 02:30") << 1 << u"2024-10-27 02:30:00 CEST"_qs;
        QTest::newRow("new york back across fall night")
                << QByteArray("America/New_York") << QByteArray("2024-11-04 18:00") << -1 << u"2024-11-03 18:00:00 EST"_qs;
        QTest::newRow("two weeks")
                << QByteArray("America/New_York") << QByteArray("2024-03-01 08:15") << 14 << u"2024-03-15 08:15:00 EDT"_qs;
    }

    void addDaysKeepsWallClock()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, start);
        QFETCH(int, days);
        QFETCH(QString, expected);
        const Calendar calendar = zoneCalendar(zone.constData());
        QCOMPARE(wallClock(calendar, calendar.addDays(at(calendar, start.constData()), days)), expected);
    }

    void addMonthsAndYearsClampToMonthEnd()
    {
        const Calendar calendar = zoneCalendar("America/New_York");
        const Instant jan31 = at(calendar, "2024-01-31 10:00");
        QCOMPARE(wallClock(calendar, calendar.addMonths(jan31, 1)), u"2024-02-29 10:00:00 EST"_qs);
        QCOMPARE(wallClock(calendar, calendar.addMonths(jan31, 3)), u"2024-04-30 10:00:00 EDT"_qs);
        QCOMPARE(wallClock(calendar, calendar.addYears(at(calendar, "2024-02-29 10:00"), 1)),
                 u"2025-02-28 10:00:00 EST"_qs);
    }

    void fractionsOfASecondSurviveArithmetic()
    {
        const Calendar calendar = zoneCalendar("Europe/Berlin");
        const Instant t = at(calendar, "2024-03-30 09:00").addingSeconds(0.123456789);
        const Instant next = calendar.addDays(t, 1);
        // An instant near 2024 in a double has about 0.1 microsecond resolution.
        QVERIFY(qAbs(next.seconds - at(calendar, "2024-03-31 09:00").seconds - 0.123456789) < 1e-6);
    }

    void startOfDayWhenMidnightDoesNotExist()
    {
        // São Paulo moved its clocks from 00:00 to 01:00 on 4 November 2018.
        const Calendar calendar = zoneCalendar("America/Sao_Paulo");
        const Instant noon = at(calendar, "2018-11-04 12:00");
        QCOMPARE(wallClock(calendar, calendar.startOfDay(noon)), u"2018-11-04 01:00:00 -02"_qs);
        const DateInterval day = calendar.dayInterval(noon);
        QCOMPARE(day.end.seconds - day.start.seconds, 23 * 3600.0);
    }

    void dayIntervalsAcrossDaylightSaving()
    {
        const Calendar calendar = zoneCalendar("Europe/Berlin");
        const DateInterval spring = calendar.dayInterval(at(calendar, "2024-03-31 12:00"));
        QCOMPARE(spring.end.seconds - spring.start.seconds, 23 * 3600.0);
        const DateInterval autumn = calendar.dayInterval(at(calendar, "2024-10-27 12:00"));
        QCOMPARE(autumn.end.seconds - autumn.start.seconds, 25 * 3600.0);
        QVERIFY(autumn.contains(autumn.start));
        QVERIFY(!autumn.contains(autumn.end));
    }

    void weekIntervalFollowsFirstWeekday_data()
    {
        QTest::addColumn<int>("firstWeekday");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("weekStart");
        QTest::newRow("sunday first, wednesday") << 1 << u"2024-05-01 10:00"_qs << u"2024-04-28"_qs;
        QTest::newRow("sunday first, sunday") << 1 << u"2024-04-28 00:00"_qs << u"2024-04-28"_qs;
        QTest::newRow("monday first, wednesday") << 2 << u"2024-05-01 10:00"_qs << u"2024-04-29"_qs;
        QTest::newRow("monday first, sunday") << 2 << u"2024-04-28 23:59"_qs << u"2024-04-22"_qs;
        QTest::newRow("monday first, week holding spring night") << 2 << u"2024-03-31 12:00"_qs << u"2024-03-25"_qs;
    }

    void weekIntervalFollowsFirstWeekday()
    {
        QFETCH(int, firstWeekday);
        QFETCH(QString, day);
        QFETCH(QString, weekStart);
        const Calendar calendar = zoneCalendar("Europe/Berlin", firstWeekday);
        const DateInterval week = calendar.weekInterval(at(calendar, day.toLatin1().constData()));
        QCOMPARE(calendar.dateOf(week.start).toString(Qt::ISODate), weekStart);
        QCOMPARE(calendar.timeOf(week.start), QTime(0, 0));
        QCOMPARE(calendar.calendarDaysBetween(week.start, week.end), 7);
    }

    void monthIntervalAndComponents()
    {
        const Calendar calendar = zoneCalendar("America/New_York");
        const Instant t = at(calendar, "2024-05-01 10:45");
        const DateInterval month = calendar.monthInterval(t);
        QCOMPARE(calendar.dateOf(month.start), QDate(2024, 5, 1));
        QCOMPARE(calendar.dateOf(month.end), QDate(2024, 6, 1));
        QCOMPARE(calendar.weekday(t), 4); // Wednesday
        QCOMPARE(Calendar::weekdayOf(QDate(2024, 4, 28)), 1);
        QCOMPARE(Calendar::weekdayOf(QDate(2024, 5, 4)), 7);
        QCOMPARE(calendar.year(t), 2024);
        QCOMPARE(calendar.month(t), 5);
        QCOMPARE(calendar.day(t), 1);
        QCOMPARE(calendar.hour(t), 10);
        QCOMPARE(calendar.minute(t), 45);
    }

    void wholeDaysCountElapsedWallClockDays()
    {
        const Calendar calendar = zoneCalendar("Europe/Berlin");
        const Instant start = at(calendar, "2024-03-30 00:00");
        QCOMPARE(calendar.wholeDaysBetween(start, at(calendar, "2024-03-31 23:00")), 1);
        QCOMPARE(calendar.wholeDaysBetween(start, at(calendar, "2024-04-01 00:00")), 2);
        QCOMPARE(calendar.wholeDaysBetween(at(calendar, "2024-04-01 00:00"), start), -2);
        QCOMPARE(calendar.wholeDaysBetween(at(calendar, "2024-03-30 10:00"), at(calendar, "2024-03-31 09:00")), 0);
        QCOMPARE(calendar.calendarDaysBetween(at(calendar, "2024-03-30 10:00"), at(calendar, "2024-03-31 09:00")), 1);
    }

    void formatsInTheLocale()
    {
        const Calendar calendar = zoneCalendar("America/New_York");
        const Instant t = at(calendar, "2024-05-01 15:05");
        QVERIFY(calendar.formatTime(t).startsWith(u"3:05"_qs));
        QVERIFY(calendar.formatTime(t).endsWith(u"PM"_qs));
        QCOMPARE(calendar.format(t, u"dddd d MMMM"_qs), u"Wednesday 1 May"_qs);
    }

    void currentCalendarUsesTheProcessZone()
    {
        QCOMPARE(Calendar::current().timeZone().id(), QByteArray("Europe/Berlin"));
    }

    void sharedClockCanBePinned()
    {
        FixedClock fixed(Instant::fromSeconds(1000));
        Clock::setShared(&fixed);
        QCOMPARE(Clock::shared().now().seconds, 1000.0);
        fixed.advance(5);
        QCOMPARE(Clock::shared().now().seconds, 1005.0);
        Clock::setShared(nullptr);
        QVERIFY(Clock::shared().now().seconds > 0);
    }

    void uuidsAreCanonicalUpperCase()
    {
        const QString id = Uuid::create();
        QVERIFY(Uuid::isCanonical(id));
        QCOMPARE(id, id.toUpper());
        QCOMPARE(id.size(), 36);
        QCOMPARE(Uuid::normalized(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_qs), u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs);
        QVERIFY(Uuid::normalized(u"{e621e1f8-c36c-495a-93fc-0c247a3e6e5f}"_qs).isEmpty());
        QVERIFY(Uuid::normalized(u"../../etc/passwd"_qs).isEmpty());
        QVERIFY(!Uuid::isCanonical(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_qs));
    }
};

QTEST_GUILESS_MAIN(TestCalendar)
#include "test_calendar.moc"
