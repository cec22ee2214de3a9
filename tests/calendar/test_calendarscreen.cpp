#include "calendardata.h"
#include "calendarfixture.h"
#include "calendarscreen.h"
#include "clock.h"

#include <QSignalSpy>
#include <QTest>

using namespace CalendarFixture;

namespace {
const Instant kNow = at(QDate(2024, 3, 13), QTime(10, 0));
}

class TestCalendarScreen : public QObject
{
    Q_OBJECT

    FixedClock m_clock{kNow};
    std::unique_ptr<Store> m_store;
    std::unique_ptr<CalendarScreen> m_screen;

private slots:
    void initTestCase() { Clock::setShared(&m_clock); }
    void cleanupTestCase() { Clock::setShared(nullptr); }

    void init()
    {
        m_store = std::make_unique<Store>(QList{timedEvent(u"Standup"_qs, QDate(2024, 3, 13), QTime(9, 0), QTime(9, 15))});
        m_screen = std::make_unique<CalendarScreen>();
        m_screen->setStore(&m_store->store);
    }

    void cleanup()
    {
        m_screen.reset();
        m_store.reset();
    }

    void modesAreListedByTheirLabels()
    {
        QCOMPARE(m_screen->modeLabels(), (QStringList{u"Day"_qs, u"Week"_qs, u"Month"_qs, u"Year"_qs}));
        for (const Mode mode : allModes())
            QCOMPARE(modeFromLabel(modeLabel(mode)), mode);
        QVERIFY(!modeFromLabel(u"month"_qs));
        QCOMPARE(m_screen->modeShortcut(2), u"Ctrl+3"_qs);
        QVERIFY(m_screen->chooseModeByKey(Qt::Key_1, Qt::ControlModifier));
        QCOMPARE(m_screen->mode(), Mode::Day);
        QVERIFY(m_screen->chooseModeByKey(Qt::Key_4, Qt::ControlModifier));
        QCOMPARE(m_screen->mode(), Mode::Year);
        QVERIFY(!m_screen->chooseModeByKey(Qt::Key_5, Qt::ControlModifier));
        QVERIFY(!m_screen->chooseModeByKey(Qt::Key_2, Qt::NoModifier));
        QVERIFY(!m_screen->chooseModeByKey(Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier));
        QCOMPARE(m_screen->mode(), Mode::Year);
    }

    void startsInMonthModeOnTodayWithNothingOpen()
    {
        QCOMPARE(m_screen->mode(), Mode::Month);
        QCOMPARE(m_screen->selected(), kNow);
        QVERIFY(!m_screen->isEditing());
        QVERIFY(!m_screen->hasNewDay());
    }

    void stepMovesOneUnitOfTheMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<int>("n");
        QTest::addColumn<QDateTime>("expected");
        const auto local = [](QDate date, QTime time = QTime(9, 0)) { return at(date, time).toDateTime(); };
        QTest::newRow("month clamps to the last day") << int(Mode::Month) << local(QDate(2024, 1, 31)) << 1 << local(QDate(2024, 2, 29));
        QTest::newRow("month in a common year") << int(Mode::Month) << local(QDate(2023, 1, 31)) << 1 << local(QDate(2023, 2, 28));
        QTest::newRow("month back") << int(Mode::Month) << local(QDate(2024, 3, 31)) << -1 << local(QDate(2024, 2, 29));
        QTest::newRow("week") << int(Mode::Week) << local(QDate(2024, 3, 13)) << 1 << local(QDate(2024, 3, 20));
        QTest::newRow("day across daylight saving") << int(Mode::Day) << local(QDate(2024, 3, 9)) << 1 << local(QDate(2024, 3, 10));
        QTest::newRow("year from 29 February") << int(Mode::Year) << local(QDate(2024, 2, 29)) << 1 << local(QDate(2025, 2, 28));
    }

    void stepMovesOneUnitOfTheMode()
    {
        QFETCH(int, mode);
        QFETCH(QDateTime, from);
        QFETCH(int, n);
        QFETCH(QDateTime, expected);
        m_screen->setMode(Mode(mode));
        m_screen->select(from);
        m_screen->step(n);
        QCOMPARE(m_screen->selectedDate(), expected);
        QCOMPARE(m_screen->mode(), Mode(mode));
    }

    void openingADayOrMonthSelectsItAndSwitchesMode()
    {
        QSignalSpy selected(m_screen.get(), &CalendarScreen::selectedDateChanged);
        QSignalSpy modes(m_screen.get(), &CalendarScreen::modeChanged);
        const QDateTime day = at(QDate(2024, 3, 20)).toDateTime();
        m_screen->openDay(day);
        QCOMPARE(m_screen->selectedDate(), day);
        QCOMPARE(m_screen->mode(), Mode::Day);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(modes.count(), 1);
        m_screen->select(day); // no change, no announcement
        QCOMPARE(selected.count(), 1);
        m_screen->setMode(Mode::Week); // the selection survives mode changes
        QCOMPARE(m_screen->selectedDate(), day);
        m_screen->openMonth(at(QDate(2024, 5, 1)).toDateTime());
        QCOMPARE(m_screen->mode(), Mode::Month);
        QCOMPARE(m_screen->currentModeLabel(), u"Month"_qs);
        QCOMPARE(modes.count(), 3);
    }

    void eachModeShowsItsOwnParts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("timeline");
        QTest::addColumn<bool>("photoBar");
        QTest::addColumn<bool>("dayList");
        QTest::newRow("Day") << int(Mode::Day) << true << false << false;
        QTest::newRow("Week") << int(Mode::Week) << false << false << true;
        QTest::newRow("Month") << int(Mode::Month) << false << true << true;
        QTest::newRow("Year") << int(Mode::Year) << false << false << false;
    }

    void eachModeShowsItsOwnParts()
    {
        QFETCH(int, mode);
        QFETCH(bool, timeline);
        QFETCH(bool, photoBar);
        QFETCH(bool, dayList);
        m_screen->setModeIndex(mode);
        QCOMPARE(m_screen->showsTimeline(), timeline);
        QCOMPARE(m_screen->showsPhotoBar(), photoBar);
        QCOMPARE(m_screen->showsDayList(), dayList);
    }

    void eachNewEventRequestIsDistinct()
    {
        QSignalSpy spy(m_screen.get(), &CalendarScreen::newDayChanged);
        m_screen->requestNewEvent();
        const NewDay first = *m_screen->newDay();
        m_screen->requestNewEvent();
        const NewDay second = *m_screen->newDay();
        QCOMPARE(spy.count(), 2);
        QVERIFY(first.id != second.id);
        QCOMPARE(first.date, kNow);
        QCOMPARE(second.date, kNow);
        m_screen->clearNewDay();
        QVERIFY(!m_screen->hasNewDay());
    }

    void editOpensTheStoredEventAndClearsOnClose()
    {
        QSignalSpy spy(m_screen.get(), &CalendarScreen::editingEventChanged);
        m_screen->edit(u"unknown"_qs);
        QVERIFY(!m_screen->isEditing());
        const CalendarEvent stored = m_store->store.events().first();
        m_screen->edit(stored.id);
        QCOMPARE(m_screen->editingEvent(), stored);
        QCOMPARE(m_screen->editingEventStart(), stored.startTime.toDateTime());
        QCOMPARE(m_screen->selected(), kNow); // editing does not move the selection
        m_screen->clearEditingEvent();
        m_screen->clearEditingEvent();
        QVERIFY(!m_screen->isEditing());
        QCOMPARE(spy.count(), 2);
    }

    void titleShowsMonthAndYearOrTheYearAlone()
    {
        QCOMPARE(m_screen->title(), u"March"_qs);
        QCOMPARE(m_screen->titleYear(), u" 2024"_qs);
        m_screen->setMode(Mode::Week);
        QCOMPARE(m_screen->title(), u"March"_qs);
        m_screen->setMode(Mode::Year);
        m_screen->select(at(QDate(2031, 7, 4)).toDateTime());
        QCOMPARE(m_screen->title(), u"2031"_qs);
        QCOMPARE(m_screen->titleYear(), QString());
        m_screen->goToToday();
        QCOMPARE(m_screen->selected(), kNow);
        QCOMPARE(m_screen->title(), u"2024"_qs);
    }

    void arrowKeysMoveTheSelectionByDays()
    {
        m_screen->moveSelection(-7);
        QCOMPARE(m_store->store.calendar().dateOf(m_screen->selected()), QDate(2024, 3, 6));
        m_screen->moveSelection(1);
        QCOMPARE(m_store->store.calendar().dateOf(m_screen->selected()), QDate(2024, 3, 7));
    }

    void layoutRules_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("preference");
        QTest::addColumn<bool>("panels");
        QTest::addColumn<double>("row");
        QTest::addColumn<double>("centre");
        QTest::newRow("1150 shows panels") << 1150.0 << true << true << 1150.0 << 1150.0 - 230 - 260 - 48;
        QTest::newRow("1149 does not") << 1149.0 << true << false << 1149.0 << 1100.0;
        QTest::newRow("preference off") << 1600.0 << false << false << 1600.0 << 1100.0;
        QTest::newRow("narrow window") << 900.0 << true << false << 900.0 << 900.0;
        QTest::newRow("row stops at 1700") << 2400.0 << true << true << 1700.0 << 1700.0 - 538;
    }

    void layoutRules()
    {
        QFETCH(double, width);
        QFETCH(bool, preference);
        QFETCH(bool, panels);
        QFETCH(double, row);
        QFETCH(double, centre);
        m_store->preferences.setBool(CalendarPreferences::showSidePanelsKey, preference);
        m_screen->setViewWidth(width);
        QCOMPARE(m_screen->sidePanelsShown(), panels);
        QCOMPARE(m_screen->rowWidth(), row);
        QCOMPARE(m_screen->centreWidth(), centre);
    }

    void showFlagsReadMissingKeysAsOnAndAnnounceChanges()
    {
        QVERIFY(m_screen->showHolidays() && m_screen->showSidePanels() && m_screen->showGoogle() && m_screen->showApple());
        m_screen->setViewWidth(1300);
        QSignalSpy flags(m_screen.get(), &CalendarScreen::showFlagsChanged);
        QSignalSpy layout(m_screen.get(), &CalendarScreen::layoutChanged);
        m_store->preferences.setBool(CalendarPreferences::showSidePanelsKey, false);
        QCOMPARE(flags.count(), 1);
        QCOMPARE(layout.count(), 1);
        QVERIFY(!m_screen->sidePanelsShown());
        m_store->preferences.setBool(CalendarPreferences::showAppleEventsKey, false);
        QVERIFY(!m_screen->showApple());
        QCOMPARE(flags.count(), 2);
        QCOMPARE(layout.count(), 1);
        m_store->preferences.setBool(u"dayloom.somethingElse"_qs, false);
        QCOMPARE(flags.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestCalendarScreen)
#include "test_calendarscreen.moc"
