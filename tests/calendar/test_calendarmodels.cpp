#include "calendardata.h"
#include "calendarfixture.h"
#include "clock.h"
#include "dayeventlistmodel.h"
#include "daytimelinemodel.h"
#include "monthgridmodel.h"

#include <QRectF>
#include <QSignalSpy>
#include <QTest>

using namespace CalendarFixture;

namespace {

const QDate kToday(2024, 3, 13);
const Instant kNow = at(kToday, QTime(10, 0));

QVariant cellValue(const MonthGridModel &model, QDate date, const QByteArray &role)
{
    const int roleId = model.roleNames().key(role);
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        if (newYork().dateOf(Instant::fromDateTime(model.data(index, MonthGridModel::DateRole).toDateTime())) == date)
            return model.data(index, roleId);
    }
    return {};
}

QStringList eventTitles(const QVariant &events)
{
    QStringList titles;
    for (const QVariant &event : events.toList())
        titles << event.toMap().value(u"title"_qs).toString();
    return titles;
}

QStringList listTitles(const DayEventListModel &model)
{
    QStringList titles;
    for (int row = 0; row < model.rowCount(); ++row)
        titles << model.data(model.index(row), DayEventListModel::TitleRole).toString();
    return titles;
}

}

class TestCalendarModels : public QObject
{
    Q_OBJECT

    FixedClock m_clock{kNow};

private slots:
    void initTestCase() { Clock::setShared(&m_clock); }
    void cleanupTestCase() { Clock::setShared(nullptr); }

    void monthCellsShowHolidaysEventsAndTheOverflow()
    {
        // 14 October 2024 has two holidays; with four events only one event chip fits.
        const QDate busy(2024, 10, 14);
        QList<CalendarEvent> events;
        for (int i = 0; i < 4; ++i)
            events << timedEvent(QStringLiteral("E%1").arg(i), busy, QTime(9 + i, 0), QTime(10 + i, 0));
        events << allDayEvent(u"Trip"_qs, QDate(2024, 10, 20), 2);
        Store store(events);
        MonthGridModel model;
        model.setStore(&store.store);
        model.setSelectedDate(at(QDate(2024, 10, 2)).toDateTime());

        QCOMPARE(model.rows(), 5);
        QCOMPARE(model.weekdaySymbols().first(), u"SUN"_qs);
        QCOMPARE(cellValue(model, busy, "holidays").toStringList(),
                 (QStringList{u"Columbus Day"_qs, u"Indigenous Peoples' Day"_qs}));
        QCOMPARE(eventTitles(cellValue(model, busy, "events")), QStringList{u"E0"_qs});
        QCOMPARE(cellValue(model, busy, "moreText").toString(), u"+3 more"_qs);
        const QVariantMap chip = cellValue(model, busy, "events").toList().first().toMap();
        QCOMPARE(chip.value(u"startText"_qs).toString(), u"9:00 AM"_qs);
        QCOMPARE(eventTitles(cellValue(model, QDate(2024, 10, 21), "events")), QStringList{u"Trip"_qs});

        QCOMPARE(cellValue(model, QDate(2024, 10, 1), "label").toString(), u"Oct 1"_qs);
        QCOMPARE(cellValue(model, QDate(2024, 9, 29), "labelStyle").toInt(), int(DayLabelStyle::OutsideMonth));
        QCOMPARE(cellValue(model, QDate(2024, 11, 1), "label").toString(), u"Nov 1"_qs);
        QCOMPARE(cellValue(model, QDate(2024, 10, 2), "labelStyle").toInt(), int(DayLabelStyle::Selected));
        QCOMPARE(cellValue(model, QDate(2024, 10, 3), "labelStyle").toInt(), int(DayLabelStyle::InMonth));
    }

    void monthCellsFollowTheStoreAndTheShowSettings()
    {
        Store store;
        MonthGridModel model;
        model.setStore(&store.store);
        QCOMPARE(model.rows(), 6);
        QVERIFY(cellValue(model, kToday, "isToday").toBool());
        QCOMPARE(cellValue(model, kToday, "labelStyle").toInt(), int(DayLabelStyle::Selected));
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        store.store.add(timedEvent(u"Lunch"_qs, QDate(2024, 3, 17), QTime(12, 0), QTime(13, 0)));
        // Only the cell of that day is redrawn.
        QCOMPARE(changed.count(), 1);
        const QModelIndex redrawn = changed.first().first().toModelIndex();
        QCOMPARE(newYork().dateOf(Instant::fromDateTime(model.data(redrawn, MonthGridModel::DateRole).toDateTime())),
                 QDate(2024, 3, 17));
        QCOMPARE(eventTitles(cellValue(model, QDate(2024, 3, 17), "events")), QStringList{u"Lunch"_qs});
        QCOMPARE(cellValue(model, QDate(2024, 3, 17), "holidays").toStringList(), QStringList{u"St. Patrick's Day"_qs});

        store.preferences.setBool(CalendarPreferences::showHolidaysKey, false);
        QVERIFY(cellValue(model, QDate(2024, 3, 17), "holidays").toStringList().isEmpty());
        store.preferences.setBool(CalendarPreferences::showGoogleEventsKey, false);
        QVERIFY(cellValue(model, QDate(2024, 3, 17), "events").toList().isEmpty());
        QCOMPARE(cellValue(model, kToday, "labelStyle").toInt(), int(DayLabelStyle::Selected));
        model.setSelectedDate(at(QDate(2024, 3, 14)).toDateTime());
        QCOMPARE(cellValue(model, kToday, "labelStyle").toInt(), int(DayLabelStyle::Today));
    }

    void crampedMonthCellsStillCountWhatTheyHide()
    {
        QList<CalendarEvent> events;
        for (int i = 0; i < 3; ++i)
            events << timedEvent(QStringLiteral("E%1").arg(i), kToday, QTime(9 + i, 0), QTime(10 + i, 0));
        Store store(events);
        MonthGridModel model;
        model.setStore(&store.store);
        model.setChipHeight(15);
        model.setMoreLineHeight(12);
        model.setChipSpacing(2);
        QCOMPARE(eventTitles(cellValue(model, kToday, "events")).size(), 3);
        QCOMPARE(model.labelHeight(), 36.0);
        // A 70-point cell: the label gives up 4 points so that one chip and the count fit.
        model.setCellHeight(70);
        QCOMPARE(model.labelHeight(), 32.0);
        QCOMPARE(eventTitles(cellValue(model, kToday, "events")), QStringList{u"E0"_qs});
        QCOMPARE(cellValue(model, kToday, "moreText").toString(), u"+2 more"_qs);
        // A cell too low for any chip keeps a readable label and shows no chips.
        model.setCellHeight(28);
        QCOMPARE(model.labelHeight(), 22.0);
        QVERIFY(cellValue(model, kToday, "events").toList().isEmpty());
    }

    void dayListShowsTheDayAndDeletesOneEvent()
    {
        CalendarEvent first = timedEvent(u"Lecture"_qs, kToday, QTime(9, 0), QTime(10, 0));
        first.seriesId = u"SERIES"_qs;
        first.category = u"Class"_qs;
        first.instructor = u"J. Doe"_qs;
        CalendarEvent nextWeek = timedEvent(u"Lecture"_qs, kToday.addDays(7), QTime(9, 0), QTime(10, 0));
        nextWeek.seriesId = u"SERIES"_qs;
        const CalendarEvent trip = allDayEvent(u"Trip"_qs, kToday);
        Store store({first, nextWeek, trip});
        DayEventListModel model;
        model.setStore(&store.store);

        QCOMPARE(model.headerText(), u"Today, Mar 13"_qs);
        QCOMPARE(listTitles(model), (QStringList{u"Trip"_qs, u"Lecture"_qs}));
        QCOMPARE(model.data(model.index(0), DayEventListModel::TimeTextRole).toString(), u"All day"_qs);
        QCOMPARE(model.data(model.index(1), DayEventListModel::DetailTextRole).toString(), u"Class · J. Doe"_qs);
        QVERIFY(model.data(model.index(1), DayEventListModel::IsRepeatingRole).toBool());

        // Renaming an event redraws its row in place.
        QSignalSpy rowChanged(&model, &QAbstractItemModel::dataChanged);
        CalendarEvent renamed = first;
        renamed.title = u"Seminar"_qs;
        store.store.update(renamed);
        QCOMPARE(rowChanged.count(), 1);
        QCOMPARE(listTitles(model), (QStringList{u"Trip"_qs, u"Seminar"_qs}));

        model.remove(first.id);
        QCOMPARE(listTitles(model), QStringList{u"Trip"_qs});
        QCOMPARE(store.store.events().size(), 2); // the other member of the series stays

        model.setDate(at(QDate(2024, 3, 17)).toDateTime());
        QCOMPARE(model.headerText(), u"Sunday, March 17, 2024"_qs);
        QCOMPARE(model.holidays(), QStringList{u"St. Patrick's Day"_qs});
        QCOMPARE(model.count(), 0);
    }

    void timelineLaysOutTheDayAndTheCurrentTime()
    {
        const CalendarEvent a = timedEvent(u"A"_qs, kToday, QTime(9, 0), QTime(10, 0));
        const CalendarEvent b = timedEvent(u"B"_qs, kToday, QTime(9, 30), QTime(10, 30));
        Store store({a, b, allDayEvent(u"Trip"_qs, kToday)});
        DayTimelineModel model;
        model.setStore(&store.store);
        model.setLayerWidth(400);

        QCOMPARE(model.weekdayText(), u"Wednesday"_qs);
        QCOMPARE(model.dateText(), u"March 13, 2024"_qs);
        QCOMPARE(model.allDayEvents().size(), 1);
        QCOMPARE(model.blocks().size(), 2);
        const QVariantMap second = model.blocks().at(1).toMap();
        QCOMPARE(second.value(u"x"_qs).toDouble(), 221.0);
        QCOMPARE(second.value(u"width"_qs).toDouble(), 165.0);
        QCOMPARE(second.value(u"timeText"_qs).toString(), u"9:30 AM – 10:30 AM"_qs);
        QVERIFY(model.isToday());
        QCOMPARE(model.nowLine(), QRectF(50, 636, 346, 8));
        QCOMPARE(model.scrollTargetHour(), 9);
        QCOMPARE(model.slotStart(15), at(kToday, QTime(15, 0)).toDateTime());

        QSignalSpy changed(&model, &DayTimelineModel::contentChanged);
        model.setDate(model.steppedDate(1));
        QCOMPARE(store.store.calendar().dateOf(Instant::fromDateTime(model.date())), kToday.addDays(1));
        QVERIFY(!model.isToday());
        QVERIFY(model.nowLine().isNull());
        QCOMPARE(model.scrollTargetHour(), 7);
        QVERIFY(model.blocks().isEmpty());
        store.store.add(timedEvent(u"C"_qs, kToday.addDays(1), QTime(8, 0), QTime(9, 0)));
        QCOMPARE(model.blocks().size(), 1);
        QCOMPARE(changed.count(), 2);
    }
};

QTEST_MAIN(TestCalendarModels)
#include "test_calendarmodels.moc"
