#include "calendarfixture.h"
#include "daylist.h"

#include <QTest>

using namespace CalendarFixture;

class TestDayList : public QObject
{
    Q_OBJECT

private slots:
    void rowTimeText_data()
    {
        QTest::addColumn<CalendarEvent>("event");
        QTest::addColumn<QString>("expected");
        QTest::newRow("all day, one day") << allDayEvent(u"A"_qs, QDate(2025, 3, 3)) << u"All day"_qs;
        QTest::newRow("all day, three days") << allDayEvent(u"A"_qs, QDate(2025, 3, 3), 3) << u"All day · 3 days"_qs;
        // The day the clocks go forward has 23 hours; it still counts as one whole day.
        QTest::newRow("all day across the change") << allDayEvent(u"A"_qs, QDate(2024, 3, 9), 2) << u"All day · 2 days"_qs;
        QTest::newRow("timed, one day") << timedEvent(u"T"_qs, QDate(2024, 3, 13), QTime(9, 0), QTime(10, 30))
                                        << u"9:00 AM – 10:30 AM"_qs;
        QTest::newRow("timed, across midnight")
                << timedEvent(u"T"_qs, QDate(2024, 3, 13), QTime(21, 0), QTime(1, 0))
                << u"Mar 13, 2024 9:00 PM – Mar 14, 2024 1:00 AM"_qs;
    }

    void rowTimeText()
    {
        QFETCH(CalendarEvent, event);
        QFETCH(QString, expected);
        QCOMPARE(::rowTimeText(event, newYork()), expected);
    }

    void rowDetailText_data()
    {
        QTest::addColumn<QString>("category");
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("instructor");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("present");
        QTest::newRow("class with teacher") << u"Class"_qs << QString() << u"J. Doe"_qs << u"Class · J. Doe"_qs << true;
        QTest::newRow("event with room") << u"Event"_qs << u"Room 4"_qs << QString() << u"Room 4"_qs << true;
        QTest::newRow("plain event") << u"Event"_qs << QString() << QString() << QString() << false;
        QTest::newRow("all parts") << u"Exam"_qs << u"Hall B"_qs << u"Dr. Ray"_qs << u"Exam · Hall B · Dr. Ray"_qs << true;
        QTest::newRow("category alone") << u"Homework"_qs << QString() << QString() << u"Homework"_qs << true;
        QTest::newRow("empty category") << QString() << u"Room 4"_qs << QString() << u"Room 4"_qs << true;
    }

    void rowDetailText()
    {
        QFETCH(QString, category);
        QFETCH(QString, location);
        QFETCH(QString, instructor);
        QFETCH(QString, expected);
        QFETCH(bool, present);
        CalendarEvent event = timedEvent(u"T"_qs, QDate(2024, 3, 13), QTime(9, 0), QTime(10, 0));
        event.category = category;
        event.location = location;
        event.instructor = instructor;
        const auto text = ::rowDetailText(event);
        QCOMPARE(text.has_value(), present);
        QCOMPARE(text.value_or(QString()), expected);
    }

    void headerNamesTodayShortAndOtherDaysInFull()
    {
        const Instant now = at(QDate(2025, 3, 4), QTime(10, 0));
        QCOMPARE(dayHeaderText(at(QDate(2025, 3, 4), QTime(23, 0)), now, newYork()), u"Today, Mar 4"_qs);
        QCOMPARE(dayHeaderText(at(QDate(2025, 3, 5)), now, newYork()), u"Wednesday, March 5, 2025"_qs);
    }

    void onlyAParsableLinkIsShown_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("shown");
        QTest::newRow("https") << u"https://drive.google.com/file/d/1"_qs << true;
        QTest::newRow("no scheme") << u"example.com/notes"_qs << true;
        QTest::newRow("space") << u"https://exa mple.com"_qs << false;
        QTest::newRow("empty") << QString() << false;
    }

    void onlyAParsableLinkIsShown()
    {
        QFETCH(QString, url);
        QFETCH(bool, shown);
        CalendarEvent event = timedEvent(u"T"_qs, QDate(2024, 3, 13), QTime(9, 0), QTime(10, 0));
        QVERIFY(!attachmentLink(event));
        event.attachment = EventAttachment{u"Notes"_qs, url};
        QCOMPARE(attachmentLink(event).has_value(), shown);
        if (shown)
            QCOMPARE(attachmentLink(event)->toString(), url);
    }

    void cloudCheckOnlyForUnchangedGoogleEvents()
    {
        CalendarEvent event = timedEvent(u"T"_qs, QDate(2024, 3, 13), QTime(9, 0), QTime(10, 0));
        event.isDirty = false;
        QVERIFY(!isSyncedWithGoogle(event));
        event.googleEventId = u"g1"_qs;
        QVERIFY(isSyncedWithGoogle(event));
        event.isDirty = true;
        QVERIFY(!isSyncedWithGoogle(event));
    }
};

QTEST_GUILESS_MAIN(TestDayList)
#include "test_daylist.moc"
