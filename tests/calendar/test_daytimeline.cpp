#include "calendarfixture.h"
#include "daytimeline.h"

#include <QTest>

using namespace CalendarFixture;

namespace {

const QDate kDay(2024, 3, 13);

// "title startMinutes endMinutes column/columns" for each placed event, in layout order.
QStringList describe(const QList<Placed> &placed)
{
    QStringList lines;
    for (const Placed &p : placed)
        lines << QStringLiteral("%1 %2 %3 %4/%5").arg(p.event.title).arg(p.startMinutes).arg(p.endMinutes).arg(p.column).arg(p.columns);
    return lines;
}

CalendarEvent onDay(const QString &title, QTime start, QTime end)
{
    return timedEvent(title, kDay, start, end);
}

}

class TestDayTimeline : public QObject
{
    Q_OBJECT

private slots:
    void placeTimedEvents_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QList<CalendarEvent>>("events");
        QTest::addColumn<QStringList>("expected");
        const QTime t9(9, 0), t930(9, 30), t10(10, 0), t1030(10, 30), t11(11, 0);

        QTest::newRow("A/B overlap") << kDay << QList{onDay(u"A"_qs, t9, t10), onDay(u"B"_qs, t930, t1030)}
                                     << QStringList{u"A 540 600 0/2"_qs, u"B 570 630 1/2"_qs};
        QTest::newRow("A/B/C reuse a column")
                << kDay << QList{onDay(u"A"_qs, t9, t10), onDay(u"B"_qs, t930, t1030), onDay(u"C"_qs, t10, t11)}
                << QStringList{u"A 540 600 0/2"_qs, u"B 570 630 1/2"_qs, u"C 600 660 0/2"_qs};
        QTest::newRow("touching events are two clusters")
                << kDay << QList{onDay(u"A"_qs, t9, t10), onDay(u"B"_qs, t10, t11)}
                << QStringList{u"A 540 600 0/1"_qs, u"B 600 660 0/1"_qs};
        QTest::newRow("five minutes count as thirty") << kDay << QList{onDay(u"A"_qs, t9, QTime(9, 5))}
                                                      << QStringList{u"A 540 570 0/1"_qs};
        CalendarEvent backwards = timedEvent(u"A"_qs, at(kDay, t9), at(kDay, QTime(8, 0)));
        QTest::newRow("end before start") << kDay << QList{backwards} << QStringList{u"A 540 570 0/1"_qs};
        QTest::newRow("into the next day keeps twenty minutes")
                << kDay << QList{onDay(u"A"_qs, QTime(23, 55), QTime(0, 30))} << QStringList{u"A 1435 1455 0/1"_qs};
        CalendarEvent overnight = timedEvent(u"A"_qs, at(kDay.addDays(-1), QTime(22, 0)), at(kDay, QTime(2, 0)));
        QTest::newRow("from the day before") << kDay << QList{overnight} << QStringList{u"A 0 120 0/1"_qs};
        QTest::newRow("equal starts keep the input order")
                << kDay << QList{onDay(u"First"_qs, t9, t10), onDay(u"Second"_qs, t9, t930)}
                << QStringList{u"First 540 600 0/2"_qs, u"Second 540 570 1/2"_qs};
        QTest::newRow("sorted by start") << kDay << QList{onDay(u"Late"_qs, t11, QTime(12, 0)), onDay(u"Early"_qs, t9, t10)}
                                         << QStringList{u"Early 540 600 0/1"_qs, u"Late 660 720 0/1"_qs};
        // D starts while the cluster still runs (C until 11:00) and finds column 0 free again:
        // the cluster keeps the three columns it opened.
        QTest::newRow("a cluster keeps its columns")
                << kDay
                << QList{onDay(u"A"_qs, t9, t10), onDay(u"B"_qs, t930, t1030), onDay(u"C"_qs, QTime(9, 45), t11),
                         onDay(u"D"_qs, QTime(10, 40), QTime(11, 30))}
                << QStringList{u"A 540 600 0/3"_qs, u"B 570 630 1/3"_qs, u"C 585 660 2/3"_qs, u"D 640 690 0/3"_qs};
        // Minutes are elapsed time: after the clocks go forward, 3 AM is two hours into the day…
        QTest::newRow("clocks go forward")
                << QDate(2024, 3, 10) << QList{timedEvent(u"A"_qs, QDate(2024, 3, 10), QTime(3, 0), QTime(4, 0))}
                << QStringList{u"A 120 180 0/1"_qs};
        // … and after they go back, four.
        QTest::newRow("clocks go back")
                << QDate(2024, 11, 3) << QList{timedEvent(u"A"_qs, QDate(2024, 11, 3), QTime(3, 0), QTime(4, 0))}
                << QStringList{u"A 240 300 0/1"_qs};
        QTest::newRow("no events") << kDay << QList<CalendarEvent>{} << QStringList{};
    }

    void placeTimedEvents()
    {
        QFETCH(QDate, day);
        QFETCH(QList<CalendarEvent>, events);
        QFETCH(QStringList, expected);
        QCOMPARE(describe(::placeTimedEvents(events, at(day), newYork())), expected);
    }

    void blocksShareTheEventWidthByColumn()
    {
        const auto placed = ::placeTimedEvents({onDay(u"A"_qs, QTime(9, 0), QTime(10, 0)),
                                                onDay(u"B"_qs, QTime(9, 30), QTime(10, 30)),
                                                onDay(u"Short"_qs, QTime(12, 0), QTime(12, 5)),
                                                onDay(u"Late"_qs, QTime(23, 55), QTime(0, 30))},
                                               at(kDay), newYork());
        const TimelineMetrics metrics{400, 48, 64};
        // Events start 6 points after the labels; E = 400 - 54 - 12 = 334, two columns of 167.
        QCOMPARE(blockGeometry(placed[0], metrics), (BlockGeometry{54, 576, 165, 64}));
        QCOMPARE(blockGeometry(placed[1], metrics), (BlockGeometry{221, 608, 165, 64}));
        QCOMPARE(blockGeometry(placed[2], metrics), (BlockGeometry{54, 768, 332, 32}));
        QCOMPARE(blockGeometry(placed[3], metrics).height, 26.0);
        QCOMPARE(blockGeometry(placed[2], TimelineMetrics{50, 48, 64}).width, 38.0);
    }

    void hourLabelsAreFixedEnglish_data()
    {
        QTest::addColumn<int>("hour");
        QTest::addColumn<QString>("label");
        QTest::newRow("midnight") << 0 << u"12 AM"_qs;
        QTest::newRow("1") << 1 << u"1 AM"_qs;
        QTest::newRow("11") << 11 << u"11 AM"_qs;
        QTest::newRow("noon") << 12 << u"12 PM"_qs;
        QTest::newRow("13") << 13 << u"1 PM"_qs;
        QTest::newRow("23") << 23 << u"11 PM"_qs;
    }

    void hourLabelsAreFixedEnglish()
    {
        QFETCH(int, hour);
        QFETCH(QString, label);
        QCOMPARE(hourLabel(hour), label);
    }

    void tappedHourStartsAtTheWholeHour()
    {
        QCOMPARE(hourSlotStart(at(kDay, QTime(8, 20)), 15, newYork()), at(kDay, QTime(15, 0)));
        // 2 AM does not exist on 10 March 2024: the slot starts at 3 AM, the next existing time.
        const QDate forward(2024, 3, 10);
        QCOMPARE(hourSlotStart(at(forward), 2, newYork()), at(forward).addingSeconds(2 * 3600));
        QCOMPARE(newYork().timeOf(*hourSlotStart(at(forward), 2, newYork())), QTime(3, 0));
        // 1 AM happens twice on 3 November 2024: the first one.
        const QDate back(2024, 11, 3);
        QCOMPARE(hourSlotStart(at(back), 1, newYork()), at(back).addingSeconds(3600));
        QVERIFY(!hourSlotStart(at(kDay), 24, newYork()));
    }

    void onlyAMostlyHorizontalDragStepsTheDay_data()
    {
        QTest::addColumn<double>("dx");
        QTest::addColumn<double>("dy");
        QTest::addColumn<int>("step");
        QTest::newRow("61 left, 30 down") << -61.0 << 30.0 << 1;
        QTest::newRow("61 right, 30 down") << 61.0 << 30.0 << -1;
        QTest::newRow("50 across, 40 down") << 50.0 << 40.0 << 0;
        QTest::newRow("exactly twice") << -60.0 << 30.0 << 0;
        QTest::newRow("too short") << -25.0 << 0.0 << 0;
        QTest::newRow("straight left") << -31.0 << 0.0 << 1;
    }

    void onlyAMostlyHorizontalDragStepsTheDay()
    {
        QFETCH(double, dx);
        QFETCH(double, dy);
        QFETCH(int, step);
        QCOMPARE(swipeDayStep(dx, dy), step);
    }

    void scrollTargetIsTheHourBeforeNowOnToday()
    {
        QCOMPARE(scrollTargetHour(at(kDay), at(kDay, QTime(0, 40)), newYork()), 0);
        QCOMPARE(scrollTargetHour(at(kDay), at(kDay, QTime(14, 10)), newYork()), 13);
        QCOMPARE(scrollTargetHour(at(kDay.addDays(1)), at(kDay, QTime(14, 10)), newYork()), 7);
    }

    void currentTimeLineFollowsTheClock()
    {
        QCOMPARE(currentTimeY(at(kDay, QTime(10, 30)), newYork(), 64), 672.0);
        QCOMPARE(currentTimeY(at(kDay, QTime(0, 0)), newYork(), 64), 0.0);
    }
};

QTEST_GUILESS_MAIN(TestDayTimeline)
#include "test_daytimeline.moc"
