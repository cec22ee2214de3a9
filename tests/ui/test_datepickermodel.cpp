#include "calendar.h"
#include "clock.h"
#include "datepickermodel.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QTimeZone kNewYork("America/New_York");

Calendar newYorkCalendar(int firstWeekday = 1, QLocale locale = QLocale(QLocale::English, QLocale::UnitedStates))
{
    return Calendar(kNewYork, firstWeekday, locale);
}

QDateTime newYork(int month, int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2024, month, day), QTime(hour, minute), kNewYork);
}

// Puts the model into New York with the value shown.
void show(DatePickerModel &model, const QDateTime &value, int firstWeekday = 1)
{
    model.setCalendar(newYorkCalendar(firstWeekday));
    model.setValue(value);
}

QVariantMap cell(const DatePickerModel &model, int index)
{
    return model.days().at(index).toMap();
}

// Index of a day of the shown month in the 42 cells.
int indexOfDay(const DatePickerModel &model, int day)
{
    const QVariantList days = model.days();
    for (int i = 0; i < days.size(); ++i) {
        const QVariantMap c = days.at(i).toMap();
        if (c.value(u"inMonth"_qs).toBool() && c.value(u"day"_qs).toInt() == day)
            return i;
    }
    return -1;
}

}

class TestDatePickerModel : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_clock = std::make_unique<FixedClock>(Instant::fromDateTime(newYork(3, 13, 10)));
        Clock::setShared(m_clock.get());
    }

    void cleanup() { Clock::setShared(nullptr); }

    void monthGridStartsOnTheFirstWeekday_data()
    {
        QTest::addColumn<int>("firstWeekday");
        QTest::addColumn<int>("firstCellDay");
        QTest::addColumn<int>("indexOfFirst");
        QTest::addColumn<QString>("firstLabel");
        // 1 March 2024 is a Friday.
        QTest::newRow("sunday first") << 1 << 25 << 5 << u"S"_qs;
        QTest::newRow("monday first") << 2 << 26 << 4 << u"M"_qs;
        QTest::newRow("saturday first") << 7 << 24 << 6 << u"S"_qs;
        QTest::newRow("friday first: the month starts the grid") << 6 << 1 << 0 << u"F"_qs;
    }

    void monthGridStartsOnTheFirstWeekday()
    {
        QFETCH(int, firstWeekday);
        QFETCH(int, firstCellDay);
        QFETCH(int, indexOfFirst);
        QFETCH(QString, firstLabel);
        DatePickerModel model;
        show(model, newYork(3, 13, 10), firstWeekday);

        QCOMPARE(model.monthTitle(), u"March 2024"_qs);
        QCOMPARE(model.days().size(), 42);
        QCOMPARE(model.weekdayLabels().size(), 7);
        QCOMPARE(model.weekdayLabels().constFirst(), firstLabel);
        QCOMPARE(cell(model, 0).value(u"day"_qs).toInt(), firstCellDay);
        QCOMPARE(indexOfDay(model, 1), indexOfFirst);
        if (indexOfFirst > 0)
            QVERIFY(!cell(model, indexOfFirst - 1).value(u"inMonth"_qs).toBool());
        QCOMPARE(indexOfDay(model, 31), indexOfFirst + 30);
        const QVariantMap thirteenth = cell(model, indexOfDay(model, 13));
        QVERIFY(thirteenth.value(u"selected"_qs).toBool());
        QVERIFY(thirteenth.value(u"today"_qs).toBool());
        QVERIFY(!cell(model, indexOfDay(model, 14)).value(u"selected"_qs).toBool());
    }

    void choicesStayAtOrAboveTheMinimum()
    {
        DatePickerModel model;
        model.setCalendar(newYorkCalendar());
        model.setIncludesTime(true);
        model.setValue(newYork(3, 20, 14, 37));
        model.setMinimum(newYork(3, 13, 10));
        QSignalSpy edited(&model, &DatePickerModel::edited);

        QVERIFY(!cell(model, indexOfDay(model, 12)).value(u"enabled"_qs).toBool());
        QVERIFY(cell(model, indexOfDay(model, 13)).value(u"enabled"_qs).toBool());
        QVERIFY(!model.canShowPreviousMonth());
        model.showPreviousMonth();
        QCOMPARE(model.monthTitle(), u"March 2024"_qs);

        // The day of the bound keeps the chosen time when it lies above the bound...
        model.selectDay(indexOfDay(model, 13));
        QCOMPARE(model.value(), newYork(3, 13, 14, 37));
        // ...and an earlier hour on that day, or an earlier day, lands on the bound itself.
        model.chooseHour(9);
        QCOMPARE(model.value(), newYork(3, 13, 10));
        model.chooseMinute(59);
        QCOMPARE(model.value(), newYork(3, 13, 10, 59));
        model.selectDay(indexOfDay(model, 2));
        QCOMPARE(model.value(), newYork(3, 13, 10));
        model.moveSelection(-1);
        QCOMPARE(model.value(), newYork(3, 13, 10));
        QCOMPARE(edited.count(), 4); // the last choice changed nothing and is not announced
    }

    void refusedChoiceRefreshesTheTimeShown()
    {
        // A spin box that asked for 9 o'clock must be told that the hour stays 10.
        DatePickerModel model;
        show(model, newYork(3, 13, 10));
        model.setMinimum(newYork(3, 13, 10));
        QSignalSpy time(&model, &DatePickerModel::timeChanged);
        QSignalSpy edited(&model, &DatePickerModel::edited);
        model.chooseHour(9);
        QCOMPARE(model.hour(), 10);
        QCOMPARE(time.count(), 1);
        QCOMPARE(edited.count(), 0);
    }

    void valueSetFromOutsideIsTakenAsItIs()
    {
        DatePickerModel model;
        model.setCalendar(newYorkCalendar());
        model.setMinimum(newYork(3, 13, 10));
        QSignalSpy changed(&model, &DatePickerModel::valueChanged);
        QSignalSpy edited(&model, &DatePickerModel::edited);
        model.setValue(newYork(3, 1, 8));
        model.setValue(newYork(3, 1, 8));
        QCOMPARE(model.value(), newYork(3, 1, 8));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(edited.count(), 0);
    }

    void movingTheSelectionTurnsThePage()
    {
        DatePickerModel model;
        show(model, newYork(3, 13, 14, 37));
        model.moveSelection(19);
        QCOMPARE(model.value(), newYork(4, 1, 14, 37));
        QCOMPARE(model.monthTitle(), u"April 2024"_qs);
        model.showNextMonth();
        model.showNextMonth();
        QCOMPARE(model.monthTitle(), u"June 2024"_qs);
        model.showMonthOfValue();
        QCOMPARE(model.monthTitle(), u"April 2024"_qs);
    }

    void hourInTheSpringGapMovesToItsEnd()
    {
        DatePickerModel model;
        show(model, newYork(3, 10, 1, 30));
        model.chooseHour(2);
        QCOMPARE(model.value(), newYork(3, 10, 3, 0));
    }

    void textsFollowTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("afternoonHour");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates) << u"Mar 13, 2024"_qs
                               << u"2:05 PM"_qs << u"2 PM"_qs;
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany) << u"13. März 2024"_qs << u"14:05"_qs
                               << u"14"_qs;
    }

    void textsFollowTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, date);
        QFETCH(QString, time);
        QFETCH(QString, afternoonHour);
        DatePickerModel model;
        model.setCalendar(newYorkCalendar(1, locale));
        model.setValue(newYork(3, 13, 14, 5));
        QCOMPARE(model.text(), date);
        model.setIncludesTime(true);
        QCOMPARE(model.dateText(), date);
        QCOMPARE(model.timeText(), time);
        QCOMPARE(model.text(), date + u", "_qs + time);
        QCOMPARE(model.hourText(14), afternoonHour);
        QCOMPARE(model.minuteText(5), u"05"_qs);
    }

private:
    std::unique_ptr<FixedClock> m_clock;
};

QTEST_MAIN(TestDatePickerModel)
#include "test_datepickermodel.moc"
