#include "googlecalendarapi.h"
#include "googledateformat.h"

#include <QTest>

using Api = GoogleCalendarAPI;

namespace {

Calendar zoneCalendar(const char *zone)
{
    return Calendar(QTimeZone(zone), 1, QLocale(QLocale::English, QLocale::UnitedStates));
}

Instant utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return Instant::fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc()));
}

Instant local(const Calendar &calendar, int year, int month, int day, int hour = 0, int minute = 0)
{
    return calendar.instantAt(QDate(year, month, day), QTime(hour, minute));
}

Api::EventTime timed(const QString &dateTime)
{
    return {dateTime, std::nullopt};
}

Api::EventTime allDay(const QString &date)
{
    return {std::nullopt, date};
}

CalendarEvent eventAt(Instant start, Instant end, bool isAllDay)
{
    CalendarEvent event;
    event.id = u"6F1C1E4A-0000-4000-8000-000000000001"_qs;
    event.title = u"Dentist"_qs;
    event.startTime = start;
    event.endTime = end;
    event.isAllDay = isAllDay;
    event.notes = u"Bring the card"_qs;
    event.location = u"Main St"_qs;
    event.colorName = u"Tomato"_qs;
    event.category = u"Exam"_qs;
    event.instructor = u"Dr. Who"_qs;
    event.reminderMinutes = {15};
    return event;
}

}

Q_DECLARE_METATYPE(Api::EventTime)
Q_DECLARE_METATYPE(std::optional<Instant>)
Q_DECLARE_METATYPE(std::optional<Api::EventTimes>)

class TestGoogleEventFormat : public QObject
{
    Q_OBJECT

private slots:
    void readsDateTimes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<Instant>>("expected");
        const Instant ten = utc(2024, 3, 3, 10);
        QTest::newRow("utc") << u"2024-03-03T10:00:00Z"_qs << std::optional(ten);
        QTest::newRow("zero fraction") << u"2024-03-03T10:00:00.000Z"_qs << std::optional(ten);
        QTest::newRow("fraction") << u"2024-03-03T10:00:00.25Z"_qs << std::optional(ten.addingSeconds(0.25));
        QTest::newRow("offset ahead") << u"2024-03-03T12:00:00+02:00"_qs << std::optional(ten);
        QTest::newRow("offset behind with fraction") << u"2024-03-03T05:00:00.5-05:00"_qs
                                                     << std::optional(ten.addingSeconds(0.5));
        QTest::newRow("offset crossing the date") << u"2024-03-04T01:30:00+15:30"_qs << std::optional(ten);
        QTest::newRow("lower-case designators") << u"2024-03-03t10:00:00z"_qs << std::optional(ten);
        QTest::newRow("no zone") << u"2024-03-03T10:00:00"_qs << std::optional<Instant>();
        QTest::newRow("no seconds") << u"2024-03-03T10:00Z"_qs << std::optional<Instant>();
        QTest::newRow("space for T") << u"2024-03-03 10:00:00Z"_qs << std::optional<Instant>();
        QTest::newRow("empty fraction") << u"2024-03-03T10:00:00.Z"_qs << std::optional<Instant>();
        QTest::newRow("30 February") << u"2024-02-30T10:00:00Z"_qs << std::optional<Instant>();
        QTest::newRow("hour 24") << u"2024-03-03T24:00:00Z"_qs << std::optional<Instant>();
        QTest::newRow("offset beyond a day") << u"2024-03-03T10:00:00+24:00"_qs << std::optional<Instant>();
        QTest::newRow("other script digits") << u"\uff12\uff10\uff12\uff14-03-03T10:00:00Z"_qs << std::optional<Instant>();
        QTest::newRow("trailing text") << u"2024-03-03T10:00:00Zx"_qs << std::optional<Instant>();
        QTest::newRow("empty") << QString() << std::optional<Instant>();
    }

    void readsDateTimes()
    {
        QFETCH(QString, text);
        QFETCH(std::optional<Instant>, expected);
        QCOMPARE(GoogleDateFormat::parseDateTime(text), expected);
    }

    void writesWholeUtcSeconds_data()
    {
        QTest::addColumn<Instant>("instant");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << utc(2024, 5, 1, 7, 30) << u"2024-05-01T07:30:00Z"_qs;
        QTest::newRow("fraction dropped") << utc(2024, 5, 1, 7, 30, 59).addingSeconds(0.999) << u"2024-05-01T07:30:59Z"_qs;
        QTest::newRow("before 2001 rounds down") << Instant::fromSeconds(-0.5) << u"2000-12-31T23:59:59Z"_qs;
    }

    void writesWholeUtcSeconds()
    {
        QFETCH(Instant, instant);
        QFETCH(QString, text);
        QCOMPARE(GoogleDateFormat::formatDateTime(instant), text);
        QCOMPARE(GoogleDateFormat::parseDateTime(text), Instant::fromSeconds(std::floor(instant.seconds)));
    }

    void daysFollowTheCalendarsZone()
    {
        const Calendar newYork = zoneCalendar("America/New_York");
        // 03:30 UTC on 10 March is still 9 March in New York.
        QCOMPARE(GoogleDateFormat::formatDay(utc(2024, 3, 10, 3, 30), newYork), u"2024-03-09"_qs);
        QCOMPARE(GoogleDateFormat::parseDay(u"2024-03-10"_qs, newYork), utc(2024, 3, 10, 5));
        QCOMPARE(GoogleDateFormat::parseDay(u"2024-03-11"_qs, newYork), utc(2024, 3, 11, 4));
        // Midnight does not exist on 3 September 2023 in Santiago: the day starts at 01:00.
        const Calendar santiago = zoneCalendar("America/Santiago");
        QCOMPARE(GoogleDateFormat::parseDay(u"2023-09-03"_qs, santiago), utc(2023, 9, 3, 4));
        QCOMPARE(GoogleDateFormat::parseDay(u"2024-3-10"_qs, newYork), std::nullopt);
        QCOMPARE(GoogleDateFormat::parseDay(u"2024-02-30"_qs, newYork), std::nullopt);
        QCOMPARE(GoogleDateFormat::parseDay(u"2024-03-10T00:00:00Z"_qs, newYork), std::nullopt);
    }

    // The days are those of New York, whatever the offsets of their midnights.
    void allDayWriteBody_data()
    {
        QTest::addColumn<QDate>("firstDay");
        QTest::addColumn<QDate>("dayAfterLast");
        QTest::newRow("one day") << QDate(2024, 3, 3) << QDate(2024, 3, 4);
        QTest::newRow("across the spring change") << QDate(2024, 3, 9) << QDate(2024, 3, 11);
        QTest::newRow("across the fall change") << QDate(2024, 11, 2) << QDate(2024, 11, 4);
    }

    void allDayWriteBody()
    {
        QFETCH(QDate, firstDay);
        QFETCH(QDate, dayAfterLast);
        const Calendar newYork = zoneCalendar("America/New_York");
        const CalendarEvent event = eventAt(newYork.startOfDay(firstDay), newYork.startOfDay(dayAfterLast), true);
        const Api::GoogleEventWrite body = Api::makeWriteBody(event, newYork);
        const QString start = firstDay.toString(Qt::ISODate);
        const QString end = dayAfterLast.toString(Qt::ISODate);
        QCOMPARE(body.start, allDay(start));
        QCOMPARE(body.end, allDay(end));
        QCOMPARE(Api::encodeWriteBody(body),
                 R"({"summary":"Dentist","description":"Bring the card","location":"Main St",)"
                 R"("start":{"dateTime":null,"date":")" + start.toLatin1() + R"("},"end":{"dateTime":null,"date":")"
                         + end.toLatin1() + R"("}})");

        const Api::GoogleEvent read{u"id"_qs, {}, {}, {}, {}, body.start, body.end, {}};
        QCOMPARE(Api::eventTimes(read, newYork), (Api::EventTimes{event.startTime, event.endTime, true}));
    }

    void timedWriteBodyIsUtc()
    {
        const Calendar twoHoursAhead = zoneCalendar("Africa/Johannesburg");
        const CalendarEvent event = eventAt(local(twoHoursAhead, 2024, 5, 1, 9, 30), local(twoHoursAhead, 2024, 5, 1, 10, 45), false);
        const Api::GoogleEventWrite body = Api::makeWriteBody(event, twoHoursAhead);
        QCOMPARE(body.start, timed(u"2024-05-01T07:30:00Z"_qs));
        QCOMPARE(body.end, timed(u"2024-05-01T08:45:00Z"_qs));
        QCOMPARE(Api::encodeWriteBody(body),
                 R"({"summary":"Dentist","description":"Bring the card","location":"Main St",)"
                 R"("start":{"dateTime":"2024-05-01T07:30:00Z","date":null},"end":{"dateTime":"2024-05-01T08:45:00Z","date":null}})");
    }

    void writeBodyEscapesText()
    {
        Api::GoogleEventWrite body{u"Say \"hi\"\\ \u00e9 \U0001F600"_qs, u"line\nbreak\ttab"_qs, QString(),
                                   timed(u"2024-05-01T07:30:00Z"_qs), timed(u"2024-05-01T08:00:00Z"_qs)};
        const QByteArray json = Api::encodeWriteBody(body);
        // Plain literals: moc misreads raw strings that hold backslashes.
        QVERIFY(json.startsWith("{\"summary\":\"Say \\\"hi\\\"\\\\ \xc3\xa9 \xf0\x9f\x98\x80\","
                                "\"description\":\"line\\nbreak\\ttab\",\"location\":\"\","));
    }

    void eventTimes_data()
    {
        QTest::addColumn<Api::EventTime>("start");
        QTest::addColumn<Api::EventTime>("end");
        QTest::addColumn<std::optional<Api::EventTimes>>("expected");
        const std::optional<Api::EventTimes> none;
        QTest::newRow("timed") << timed(u"2024-03-03T10:00:00Z"_qs) << timed(u"2024-03-03T11:00:00.000+01:00"_qs)
                               << std::optional(Api::EventTimes{utc(2024, 3, 3, 10), utc(2024, 3, 3, 10), false});
        // New York's midnights; the day of the spring change has 23 hours.
        QTest::newRow("all-day") << allDay(u"2024-03-10"_qs) << allDay(u"2024-03-11"_qs)
                                 << std::optional(Api::EventTimes{utc(2024, 3, 10, 5), utc(2024, 3, 11, 4), true});
        QTest::newRow("timed start, all-day end") << timed(u"2024-03-03T10:00:00Z"_qs) << allDay(u"2024-03-04"_qs) << none;
        QTest::newRow("unreadable dateTime falls back to dates")
                << Api::EventTime{u"soon"_qs, u"2024-03-10"_qs} << Api::EventTime{u"2024-03-11T00:00:00Z"_qs, u"2024-03-11"_qs}
                << std::optional(Api::EventTimes{utc(2024, 3, 10, 5), utc(2024, 3, 11, 4), true});
        QTest::newRow("both forms: timed wins")
                << Api::EventTime{u"2024-03-03T10:00:00Z"_qs, u"2024-03-03"_qs}
                << Api::EventTime{u"2024-03-03T11:00:00Z"_qs, u"2024-03-04"_qs}
                << std::optional(Api::EventTimes{utc(2024, 3, 3, 10), utc(2024, 3, 3, 11), false});
        QTest::newRow("empty objects") << Api::EventTime{} << Api::EventTime{} << none;
        QTest::newRow("unreadable date") << allDay(u"2024-13-01"_qs) << allDay(u"2024-13-02"_qs) << none;
    }

    void eventTimes()
    {
        QFETCH(Api::EventTime, start);
        QFETCH(Api::EventTime, end);
        QFETCH(std::optional<Api::EventTimes>, expected);
        Api::GoogleEvent event{u"id"_qs, {}, {}, {}, {}, start, end, {}};
        QCOMPARE(Api::eventTimes(event, zoneCalendar("America/New_York")), expected);
    }

    void missingStartOrEndGivesNothing()
    {
        Api::GoogleEvent event{u"id"_qs, {}, {}, {}, {}, timed(u"2024-03-03T10:00:00Z"_qs), std::nullopt, {}};
        QCOMPARE(Api::eventTimes(event, zoneCalendar("America/New_York")), std::nullopt);
    }

    void decodesAnEvent()
    {
        const auto decoded = Api::decodeEvent(
                R"({"kind":"calendar-event","id":"abc","status":"confirmed","summary":"S","description":null,)"
                R"("location":"L","start":{"dateTime":"2024-03-03T10:00:00Z","timeZone":"Europe/Berlin"},)"
                R"("end":{"date":"2024-03-04","dateTime":null},"updated":"2024-03-01T09:00:00.123Z","extra":[1,{}]})");
        QVERIFY(decoded.ok());
        const Api::GoogleEvent &event = decoded.value();
        QCOMPARE(event.id, u"abc"_qs);
        QCOMPARE(event.status, u"confirmed"_qs);
        QCOMPARE(event.summary, u"S"_qs);
        QCOMPARE(event.description, std::nullopt);
        QCOMPARE(event.location, u"L"_qs);
        QCOMPARE(event.start, timed(u"2024-03-03T10:00:00Z"_qs));
        QCOMPARE(event.end, allDay(u"2024-03-04"_qs));
        QCOMPARE(event.updated, u"2024-03-01T09:00:00.123Z"_qs);
        QVERIFY(!event.isCancelled());
    }

    void cancelledEntryNeedsOnlyAnId()
    {
        const auto decoded = Api::decodeEvent(R"({"id":"gone","status":"cancelled"})");
        QVERIFY(decoded.ok());
        QVERIFY(decoded.value().isCancelled());
        QCOMPARE(decoded.value().start, std::nullopt);
    }

    void rejectsUnreadableEvents_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::newRow("not JSON") << QByteArray("{\"id\":");
        QTest::newRow("an array") << QByteArray(R"([{"id":"a"}])");
        QTest::newRow("no id") << QByteArray(R"({"summary":"a"})");
        QTest::newRow("null id") << QByteArray(R"({"id":null})");
        QTest::newRow("numeric id") << QByteArray(R"({"id":7})");
        QTest::newRow("start not an object") << QByteArray(R"({"id":"a","start":"2024-03-03"})");
        QTest::newRow("numeric date") << QByteArray(R"({"id":"a","start":{"date":20240303}})");
        QTest::newRow("invalid UTF-8") << QByteArray("{\"id\":\"a\",\"summary\":\"\xff\"}");
        QTest::newRow("trailing garbage") << QByteArray(R"({"id":"a"} x)");
    }

    void rejectsUnreadableEvents()
    {
        QFETCH(QByteArray, json);
        const auto decoded = Api::decodeEvent(json);
        QVERIFY(!decoded.ok());
        QVERIFY(std::holds_alternative<GoogleAPIClient::DecodingError>(decoded.error()));
    }

    void keepsEmbeddedNulCharacters()
    {
        const auto decoded = Api::decodeEvent(R"({"id":"a\u0000b"})");
        QVERIFY(decoded.ok());
        QCOMPARE(decoded.value().id, QString(u"a\0b"_qs));
        QCOMPARE(decoded.value().id.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestGoogleEventFormat)
#include "test_googleeventformat.moc"
