#include "calendarfixture.h"
#include "monthgrid.h"

#include <QTest>

using namespace CalendarFixture;

namespace {

Calendar withFirstWeekday(int firstWeekday)
{
    return Calendar(newYork().timeZone(), firstWeekday, newYork().locale());
}

QList<Holiday> holidays(int count)
{
    QList<Holiday> list;
    for (int i = 0; i < count; ++i)
        list.append(Holiday{QStringLiteral("Holiday %1").arg(i)});
    return list;
}

QList<CalendarEvent> events(int count)
{
    QList<CalendarEvent> list;
    for (int i = 0; i < count; ++i)
        list.append(timedEvent(QStringLiteral("Event %1").arg(i), QDate(2024, 3, 13), QTime(9, i), QTime(10, 0)));
    return list;
}

}

class TestMonthGrid : public QObject
{
    Q_OBJECT

private slots:
    void monthWeeksCoverWholeWeeks_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("firstWeekday");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QDate>("firstCell");
        QTest::addColumn<QDate>("lastCell");
        // February 2015 starts on a Sunday and has 28 days.
        QTest::newRow("4 rows, Sunday first") << QDate(2015, 2, 14) << 1 << 4 << QDate(2015, 2, 1) << QDate(2015, 2, 28);
        QTest::newRow("4 rows, Monday first") << QDate(2021, 2, 10) << 2 << 4 << QDate(2021, 2, 1) << QDate(2021, 2, 28);
        QTest::newRow("5 rows into the next month") << QDate(2024, 4, 30) << 1 << 5 << QDate(2024, 3, 31) << QDate(2024, 5, 4);
        // August 2020 starts on a Saturday, the last weekday when Sunday comes first.
        QTest::newRow("6 rows, Sunday first") << QDate(2020, 8, 1) << 1 << 6 << QDate(2020, 7, 26) << QDate(2020, 9, 5);
        QTest::newRow("March 2020, Sunday first") << QDate(2020, 3, 31) << 1 << 5 << QDate(2020, 3, 1) << QDate(2020, 4, 4);
        QTest::newRow("March 2020, Monday first") << QDate(2020, 3, 31) << 2 << 6 << QDate(2020, 2, 24) << QDate(2020, 4, 5);
    }

    void monthWeeksCoverWholeWeeks()
    {
        QFETCH(QDate, date);
        QFETCH(int, firstWeekday);
        QFETCH(int, rows);
        QFETCH(QDate, firstCell);
        QFETCH(QDate, lastCell);
        const Calendar calendar = withFirstWeekday(firstWeekday);
        const auto weeks = monthWeeks(at(date, QTime(15, 30)), calendar);
        QCOMPARE(weeks.size(), rows);
        QCOMPARE(calendar.dateOf(weeks.first().first()), firstCell);
        QCOMPARE(calendar.dateOf(weeks.last().last()), lastCell);
        QDate expected = firstCell;
        for (const auto &week : weeks) {
            QCOMPARE(week.size(), 7);
            for (const Instant day : week) {
                QCOMPARE(day, calendar.startOfDay(expected));
                expected = expected.addDays(1);
            }
        }
    }

    void monthWeeksAreStartsOfDaysAcrossDaylightSaving()
    {
        // 10 March 2024 has 23 hours in New York; every cell must still be a midnight.
        const auto weeks = monthWeeks(at(QDate(2024, 3, 13)), newYork());
        QCOMPARE(weeks.size(), 6);
        for (const auto &week : weeks) {
            for (const Instant day : week)
                QCOMPARE(newYork().timeOf(day), QTime(0, 0));
        }
    }

    void weekdaySymbolsStartAtTheFirstWeekday_data()
    {
        QTest::addColumn<int>("firstWeekday");
        QTest::addColumn<QStringList>("expected");
        const QStringList week = {u"Sun"_qs, u"Mon"_qs, u"Tue"_qs, u"Wed"_qs, u"Thu"_qs, u"Fri"_qs, u"Sat"_qs};
        QTest::newRow("Sunday") << 1 << week;
        QTest::newRow("Monday") << 2 << (week.mid(1) + week.mid(0, 1));
        QTest::newRow("Saturday") << 7 << (week.mid(6) + week.mid(0, 6));
    }

    void weekdaySymbolsStartAtTheFirstWeekday()
    {
        QFETCH(int, firstWeekday);
        QFETCH(QStringList, expected);
        const QStringList symbols = shortWeekdaySymbols(newYork().locale());
        QCOMPARE(symbols.first(), u"Sun"_qs);
        QCOMPARE(orderedWeekdaySymbols(symbols, firstWeekday), expected);
        QCOMPARE(veryShortWeekdaySymbols(newYork().locale()).first(), u"S"_qs);
    }

    void cellRoomIsSharedByHolidaysAndEvents_data()
    {
        QTest::addColumn<int>("holidayCount");
        QTest::addColumn<int>("eventCount");
        QTest::addColumn<int>("maxItems");
        QTest::addColumn<int>("holidaysShown");
        QTest::addColumn<int>("eventsShown");
        QTest::addColumn<int>("hidden");
        QTest::newRow("two holidays, four events") << 2 << 4 << 3 << 2 << 1 << 3;
        QTest::newRow("three holidays") << 3 << 0 << 3 << 2 << 0 << 0;
        QTest::newRow("three events fit") << 0 << 3 << 3 << 0 << 3 << 0;
        QTest::newRow("nothing") << 0 << 0 << 3 << 0 << 0 << 0;
        QTest::newRow("week cell, thirteen events") << 0 << 13 << 12 << 0 << 12 << 1;
        QTest::newRow("week cell with holidays") << 2 << 13 << 12 << 2 << 10 << 3;
    }

    void cellRoomIsSharedByHolidaysAndEvents()
    {
        QFETCH(int, holidayCount);
        QFETCH(int, eventCount);
        QFETCH(int, maxItems);
        QFETCH(int, holidaysShown);
        QFETCH(int, eventsShown);
        QFETCH(int, hidden);
        const auto dayEvents = events(eventCount);
        const DayCellContent content = dayCellContent(holidays(holidayCount), dayEvents, maxItems);
        QCOMPARE(content.holidays, holidays(holidaysShown));
        QCOMPARE(content.events, dayEvents.mid(0, eventsShown));
        QCOMPARE(content.hidden, hidden);
    }

    void aCrampedCellShowsFewerLinesButCountsEveryHiddenEvent()
    {
        const ChipMetrics metrics{15, 12, 2};
        const auto dayEvents = events(4);
        // Room for three chips and nothing else: the "+1 more" line would not fit, so one chip
        // gives way to it.
        const DayCellContent three = fittingDayCellContent({}, dayEvents, 3, 3 * 15 + 2 * 2, metrics);
        QCOMPARE(three.events.size(), 2);
        QCOMPARE(three.hidden, 2);
        // Plenty of room: the usual three lines.
        QCOMPARE(fittingDayCellContent(holidays(2), dayEvents, 3, 1000, metrics), dayCellContent(holidays(2), dayEvents, 3));
        // Only the count fits.
        const DayCellContent countOnly = fittingDayCellContent(holidays(1), dayEvents, 3, 12, metrics);
        QVERIFY(countOnly.holidays.isEmpty());
        QVERIFY(countOnly.events.isEmpty());
        QCOMPARE(countOnly.hidden, 4);
        // Not even the count fits: an empty chip column.
        QCOMPARE(fittingDayCellContent({}, dayEvents, 3, 5, metrics), DayCellContent{});
    }

    void labelGivesWayToOneChipLineAndTheCount_data()
    {
        QTest::addColumn<double>("cellHeight");
        QTest::addColumn<double>("label");
        QTest::addColumn<double>("chipColumn");
        // Chips 15, count 12, spacing 2: one chip and the count need 29 points.
        QTest::newRow("roomy") << 120.0 << 36.0 << 75.0;
        QTest::newRow("just enough for the full label") << 74.0 << 36.0 << 29.0;
        QTest::newRow("shrinks") << 70.0 << 32.0 << 29.0;
        QTest::newRow("compact label") << 50.0 << 24.0 << 17.0;
        QTest::newRow("lower than the label") << 20.0 << 14.0 << 0.0;
    }

    void labelGivesWayToOneChipLineAndTheCount()
    {
        QFETCH(double, cellHeight);
        QFETCH(double, label);
        QFETCH(double, chipColumn);
        const ChipMetrics metrics{15, 12, 2};
        QCOMPARE(dayLabelHeight(cellHeight, metrics), label);
        QCOMPARE(chipColumnHeight(cellHeight, label), chipColumn);
    }

    void moreLineAndLabels()
    {
        QCOMPARE(moreText(3), u"+3 more"_qs);
        QCOMPARE(moreText(0), QString());
        QCOMPARE(dayLabelText(at(QDate(2024, 3, 1)), newYork()), u"Mar 1"_qs);
        QCOMPARE(dayLabelText(at(QDate(2024, 4, 1)), newYork()), u"Apr 1"_qs);
        QCOMPARE(dayLabelText(at(QDate(2024, 3, 13)), newYork()), u"13"_qs);
    }

    void labelStyleTakesTheFirstCaseThatApplies()
    {
        QCOMPARE(dayLabelStyle(true, true, false), DayLabelStyle::Selected);
        QCOMPARE(dayLabelStyle(false, true, false), DayLabelStyle::Today);
        QCOMPARE(dayLabelStyle(false, false, true), DayLabelStyle::InMonth);
        QCOMPARE(dayLabelStyle(false, false, false), DayLabelStyle::OutsideMonth);
    }

    void weekDatesStartOnTheFirstWeekday()
    {
        const auto sundayFirst = weekDates(at(QDate(2024, 3, 10), QTime(12, 0)), newYork());
        QCOMPARE(sundayFirst.size(), 7);
        QCOMPARE(newYork().dateOf(sundayFirst.first()), QDate(2024, 3, 10));
        // With Monday first, the week of a Sunday ends on that Sunday.
        const Calendar mondayFirst = withFirstWeekday(2);
        const auto week = weekDates(at(QDate(2024, 3, 10)), mondayFirst);
        QCOMPARE(mondayFirst.dateOf(week.first()), QDate(2024, 3, 4));
        QCOMPARE(mondayFirst.dateOf(week.last()), QDate(2024, 3, 10));
    }
};

QTEST_GUILESS_MAIN(TestMonthGrid)
#include "test_monthgrid.moc"
