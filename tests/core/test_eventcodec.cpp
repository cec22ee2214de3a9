#include "eventcodec.h"
#include "uuid.h"

#include <QTest>

// JSON text written inline; raw string literals would confuse moc.
#define JSON(...) #__VA_ARGS__

namespace {

CalendarEvent fullEvent()
{
    CalendarEvent event;
    event.id = u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs;
    event.title = u"Lab \"B\" — Übung 🧪"_qs;
    event.date = Instant::fromSeconds(731000000.0);
    event.startTime = Instant::fromSeconds(731032400.0);
    event.endTime = Instant::fromSeconds(731036000.5);
    event.isAllDay = false;
    event.notes = u"line one\nline two\t\\"_qs;
    event.colorName = u"Tomato"_qs;
    event.googleEventId = u"abc123_20240301"_qs;
    event.googleUpdated = u"2024-03-01T10:00:00.123Z"_qs;
    event.isDirty = false;
    event.attachment = EventAttachment{u"Slides"_qs, u"https://example.com/s?a=1&b=2"_qs};
    event.appleEventId = u"Home/work/ev.ics#731032400"_qs;
    event.location = u"Room 4"_qs;
    event.instructor = u"Dr. Ó"_qs;
    event.category = u"Class"_qs;
    event.seriesId = u"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"_qs;
    event.reminderMinutes = {15, 1440};
    return event;
}

QList<CalendarEvent> decodeOrFail(const QByteArray &json)
{
    const auto events = EventCodec::decode(json);
    if (!events)
        qWarning("not decodable: %s", json.constData());
    return events.value_or(QList<CalendarEvent>{});
}

}

class TestEventCodec : public QObject
{
    Q_OBJECT

private slots:
    void writesCompactJsonInFieldOrder()
    {
        CalendarEvent event;
        event.id = u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs;
        event.title = u"Standup"_qs;
        event.date = Instant::fromSeconds(0);
        event.startTime = Instant::fromSeconds(32400);
        event.endTime = Instant::fromSeconds(34200.25);
        const auto json = EventCodec::encode({event});
        QVERIFY(json);
        QCOMPARE(*json,
                 QByteArray(JSON([{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"Standup","date":0.0,)
                            JSON("startTime":32400.0,"endTime":34200.25,"isAllDay":false,"notes":"","colorName":"Peacock",)
                            JSON("isDirty":true,"location":"","instructor":"","category":"Event","reminderMinutes":[]}])));
    }

    void everyEventReadsBackEqual_data()
    {
        QTest::addColumn<CalendarEvent>("event");
        QTest::newRow("all fields") << fullEvent();
        CalendarEvent bare;
        bare.id = Uuid::create();
        QTest::newRow("defaults only") << bare;
        CalendarEvent fractional = fullEvent();
        fractional.startTime = Instant::fromSeconds(0.1 + 0.2);
        fractional.endTime = Instant::fromSeconds(7.31e8 + 1.0 / 3.0);
        fractional.date = Instant::fromSeconds(-978307200.123456789);
        QTest::newRow("fractional and negative instants") << fractional;
        CalendarEvent allDay = fullEvent();
        allDay.isAllDay = true;
        allDay.attachment.reset();
        allDay.googleEventId.reset();
        allDay.isDirty = true;
        allDay.reminderMinutes = {0, -5, 40320};
        allDay.title.clear();
        allDay.colorName.clear();
        QTest::newRow("all-day, empty texts, odd reminders") << allDay;
    }

    void everyEventReadsBackEqual()
    {
        QFETCH(CalendarEvent, event);
        const auto json = EventCodec::encode({event, event});
        QVERIFY(json);
        const QList<CalendarEvent> read = decodeOrFail(*json);
        QCOMPARE(read.size(), 2);
        QVERIFY(read[0] == event);
        QCOMPARE(read[0].startTime.seconds, event.startTime.seconds); // bit-identical, not fuzzy
        QCOMPARE(read[0].endTime.seconds, event.endTime.seconds);
        QCOMPARE(read[0].date.seconds, event.date.seconds);
    }

    void olderRecordsReadWithDefaults()
    {
        const QList<CalendarEvent> events = decodeOrFail(
                JSON([{"title":"Old","date":1,"startTime":2,"endTime":3},
                    {"title":"Old","date":1,"startTime":2,"endTime":3}]));
        QCOMPARE(events.size(), 2);
        const CalendarEvent &event = events[0];
        QVERIFY(Uuid::isCanonical(event.id));
        QVERIFY(event.id != events[1].id); // a fresh id for every record without one
        QCOMPARE(event.title, u"Old"_qs);
        QCOMPARE(event.startTime.seconds, 2.0);
        QVERIFY(!event.isAllDay);
        QCOMPARE(event.notes, QString());
        QCOMPARE(event.colorName, u"Peacock"_qs);
        QCOMPARE(event.category, u"Event"_qs);
        QVERIFY(!event.googleEventId && !event.googleUpdated && !event.appleEventId);
        QVERIFY(event.isDirty);
        QVERIFY(!event.attachment && !event.seriesId);
        QVERIFY(event.reminderMinutes.isEmpty());
    }

    void optionalKeysAndLegacyLinks_data()
    {
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<bool>("dirty");
        QTest::addColumn<QString>("attachmentName"); // empty: no attachment
        QTest::addColumn<QString>("attachmentUrl");
        QTest::newRow("google id without isDirty") << QByteArray(JSON("googleEventId":"g1")) << false << QString() << QString();
        QTest::newRow("isDirty null") << QByteArray(JSON("googleEventId":"g1","isDirty":null)) << false << QString() << QString();
        QTest::newRow("google id null") << QByteArray(JSON("googleEventId":null)) << true << QString() << QString();
        QTest::newRow("drive file") << QByteArray(JSON("driveFile":{"name":"Doc","webViewLink":"https://d/1"})) << true
                                    << u"Doc"_qs << u"https://d/1"_qs;
        QTest::newRow("drive file, empty link") << QByteArray(JSON("driveFile":{"name":"Doc","webViewLink":""})) << true
                                                << QString() << QString();
        QTest::newRow("drive file is a number") << QByteArray(JSON("driveFile":7)) << true << QString() << QString();
        QTest::newRow("drive file lacks a name") << QByteArray(JSON("driveFile":{"webViewLink":"https://d/1"})) << true
                                                 << QString() << QString();
        QTest::newRow("attachment wins") << QByteArray(JSON("attachment":{"name":"A","url":"u"},"driveFile":{"name":"D","webViewLink":"w"}))
                                         << true << u"A"_qs << u"u"_qs;
        QTest::newRow("attachment null, drive file used")
                << QByteArray(JSON("attachment":null,"driveFile":{"name":"D","webViewLink":"w"})) << true << u"D"_qs << u"w"_qs;
    }

    void optionalKeysAndLegacyLinks()
    {
        QFETCH(QByteArray, extra);
        QFETCH(bool, dirty);
        QFETCH(QString, attachmentName);
        QFETCH(QString, attachmentUrl);
        const QList<CalendarEvent> events =
                decodeOrFail(JSON([{"title":"T","date":1,"startTime":2,"endTime":3,) + extra + "}]");
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].isDirty, dirty);
        QCOMPARE(events[0].attachment.has_value(), !attachmentName.isEmpty());
        if (events[0].attachment) {
            QCOMPARE(events[0].attachment->name, attachmentName);
            QCOMPARE(events[0].attachment->url, attachmentUrl);
        }
    }

    void idsAreStoredUpperCase()
    {
        const QList<CalendarEvent> events = decodeOrFail(
                JSON([{"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","seriesId":"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0",)
                JSON("title":"T","date":1,"startTime":2,"endTime":3}]));
        QCOMPARE(events.value(0).id, u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs);
        QCOMPARE(events.value(0).seriesId, u"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"_qs);
    }

    void oneUnreadableRecordMakesTheListUnreadable_data()
    {
        QTest::addColumn<QByteArray>("json");
        const QByteArray good = JSON({"title":"T","date":1,"startTime":2,"endTime":3});
        QTest::newRow("not json") << QByteArray("[{");
        QTest::newRow("not an array") << good;
        QTest::newRow("element not an object") << "[" + good + ",3]";
        QTest::newRow("title missing") << QByteArray(JSON([{"date":1,"startTime":2,"endTime":3}]));
        QTest::newRow("title null") << QByteArray(JSON([{"title":null,"date":1,"startTime":2,"endTime":3}]));
        QTest::newRow("title is a number") << QByteArray(JSON([{"title":5,"date":1,"startTime":2,"endTime":3}]));
        QTest::newRow("start is a string") << QByteArray(JSON([{"title":"T","date":1,"startTime":"2","endTime":3}]));
        QTest::newRow("isAllDay is a string") << QByteArray(JSON([{"title":"T","date":1,"startTime":2,"endTime":3,"isAllDay":"true"}]));
        QTest::newRow("attachment lacks url") << QByteArray(JSON([{"title":"T","date":1,"startTime":2,"endTime":3,"attachment":{"name":"A"}}]));
        QTest::newRow("fractional reminder") << QByteArray(JSON([{"title":"T","date":1,"startTime":2,"endTime":3,"reminderMinutes":[1.5]}]));
        QTest::newRow("series id not a uuid") << QByteArray(JSON([{"title":"T","date":1,"startTime":2,"endTime":3,"seriesId":"x"}]));
        QTest::newRow("google id is a number") << QByteArray(JSON([{"title":"T","date":1,"startTime":2,"endTime":3,"googleEventId":4}]));
        QTest::newRow("second of two is bad") << "[" + good + JSON(,{"title":"T"}]);
    }

    void oneUnreadableRecordMakesTheListUnreadable()
    {
        QFETCH(QByteArray, json);
        QVERIFY(!EventCodec::decode(json));
    }

    void anInstantThatIsNoNumberIsNotEncoded()
    {
        CalendarEvent event = fullEvent();
        event.endTime = Instant::fromSeconds(std::numeric_limits<double>::infinity());
        QVERIFY(!EventCodec::encode({fullEvent(), event}));
    }
};

QTEST_GUILESS_MAIN(TestEventCodec)
#include "test_eventcodec.moc"
