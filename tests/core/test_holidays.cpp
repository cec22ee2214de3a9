#include "holidays.h"

#include <QTest>

namespace {

Calendar zoneCalendar(const QByteArray &zone)
{
    return Calendar(QTimeZone(zone), 1, QLocale(QLocale::English, QLocale::UnitedStates));
}

const Calendar &newYork()
{
    static const Calendar calendar = zoneCalendar("America/New_York");
    return calendar;
}

// For sweeps over centuries, where the zone plays no part and UTC converts fastest.
const Calendar &utc()
{
    static const Calendar calendar = zoneCalendar("UTC");
    return calendar;
}

QStringList namesOn(QDate date, const Calendar &calendar = newYork())
{
    QStringList names;
    for (const Holiday &holiday : holidaysForDay(calendar.instantAt(date, QTime(12, 0)), calendar))
        names.append(holiday.name);
    return names;
}

// Oudin's Easter algorithm: a different derivation from the one under test.
QDate oudinEaster(int year)
{
    const int c = year / 100;
    const int n = year % 19;
    const int k = (c - 17) / 25;
    int i = (c - c / 4 - (c - k) / 3 + 19 * n + 15) % 30;
    i -= (i / 28) * (1 - (i / 28) * (29 / (i + 1)) * ((21 - n) / 11));
    const int j = (year + year / 4 + i + 2 - c + c / 4) % 7;
    const int l = i - j;
    const int month = 3 + (l + 40) / 44;
    return QDate(year, month, l + 28 - 31 * (month / 4));
}

QDate nthWeekday(int year, int month, int qtWeekday, int n)
{
    const QDate first(year, month, 1);
    return first.addDays((qtWeekday - first.dayOfWeek() + 7) % 7 + 7 * (n - 1));
}

QDate lastMonday(int year, int month)
{
    const QDate last(year, month, QDate(year, month, 1).daysInMonth());
    return last.addDays(-((last.dayOfWeek() - Qt::Monday + 7) % 7));
}

// The Tuesday after the first Monday of November, in even years.
bool isElectionDay(QDate date)
{
    return date.year() % 2 == 0 && date == nthWeekday(date.year(), 11, Qt::Monday, 1).addDays(1);
}

}

class TestHolidays : public QObject
{
    Q_OBJECT

private slots:
    void everyHolidayOf2024()
    {
        QStringList found;
        for (QDate date(2024, 1, 1); date.year() == 2024; date = date.addDays(1)) {
            for (const QString &name : namesOn(date))
                found.append(date.toString(Qt::ISODate) + u' ' + name);
        }
        const QStringList expected = {
            u"2024-01-01 New Year's Day"_qs,     u"2024-01-15 Martin Luther King Jr. Day"_qs,
            u"2024-02-14 Valentine's Day"_qs,    u"2024-02-19 Presidents' Day"_qs,
            u"2024-03-10 Daylight Saving Time starts"_qs, u"2024-03-17 St. Patrick's Day"_qs,
            u"2024-03-29 Good Friday"_qs,        u"2024-03-31 Easter"_qs,
            u"2024-05-05 Cinco de Mayo"_qs,      u"2024-05-12 Mother's Day"_qs,
            u"2024-05-27 Memorial Day"_qs,       u"2024-06-16 Father's Day"_qs,
            u"2024-06-19 Juneteenth"_qs,         u"2024-07-04 Independence Day"_qs,
            u"2024-09-02 Labor Day"_qs,          u"2024-10-14 Columbus Day"_qs,
            u"2024-10-14 Indigenous Peoples' Day"_qs, u"2024-10-31 Halloween"_qs,
            u"2024-11-02 Day of the Dead"_qs,    u"2024-11-03 Daylight Saving Time ends"_qs,
            u"2024-11-05 Election Day"_qs,       u"2024-11-11 Veterans Day"_qs,
            u"2024-11-28 Thanksgiving"_qs,       u"2024-12-24 Christmas Eve"_qs,
            u"2024-12-25 Christmas"_qs,          u"2024-12-31 New Year's Eve"_qs,
        };
        QCOMPARE(found, expected);
    }

    void namesOfOneDay_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("easter 2025") << QDate(2025, 4, 20) << QStringList{u"Easter"_qs};
        QTest::newRow("good friday in march, easter in april") << QDate(2018, 3, 30) << QStringList{u"Good Friday"_qs};
        QTest::newRow("tuesday 2 november, odd year") << QDate(2021, 11, 2) << QStringList{u"Day of the Dead"_qs};
        QTest::newRow("tuesday 8 november, even year") << QDate(2022, 11, 8) << QStringList{u"Election Day"_qs};
        QTest::newRow("tuesday 2 november, even year")
                << QDate(2010, 11, 2) << QStringList{u"Day of the Dead"_qs, u"Election Day"_qs};
        QTest::newRow("sunday 2 november")
                << QDate(2025, 11, 2) << QStringList{u"Day of the Dead"_qs, u"Daylight Saving Time ends"_qs};
        QTest::newRow("monday before memorial day") << QDate(2024, 5, 20) << QStringList{};
        QTest::newRow("memorial day on the 25th") << QDate(2025, 5, 26) << QStringList{u"Memorial Day"_qs};
        QTest::newRow("4 july on a saturday") << QDate(2026, 7, 4) << QStringList{u"Independence Day"_qs};
        QTest::newRow("friday before it stays plain") << QDate(2026, 7, 3) << QStringList{};
        QTest::newRow("fifth thursday of november") << QDate(2029, 11, 29) << QStringList{};
        QTest::newRow("year 1600") << QDate(1600, 4, 2) << QStringList{u"Easter"_qs};
        QTest::newRow("year 9999") << QDate(9999, 12, 25) << QStringList{u"Christmas"_qs};
    }

    void namesOfOneDay()
    {
        QFETCH(QDate, date);
        QFETCH(QStringList, expected);
        QCOMPARE(namesOn(date), expected);
    }

    void dayIsReadInTheCalendarsZone_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QStringList>("expected");
        // 23:30 on 4 July in New York is 03:30 on 5 July UTC and 12:30 on 5 July in Tokyo.
        QTest::newRow("new york") << QByteArray("America/New_York") << QStringList{u"Independence Day"_qs};
        QTest::newRow("utc") << QByteArray("UTC") << QStringList{};
        QTest::newRow("tokyo") << QByteArray("Asia/Tokyo") << QStringList{};
    }

    void dayIsReadInTheCalendarsZone()
    {
        QFETCH(QByteArray, zone);
        QFETCH(QStringList, expected);
        const Instant lateOnTheFourth = newYork().instantAt(QDate(2024, 7, 4), QTime(23, 30));
        QStringList names;
        for (const Holiday &holiday : holidaysForDay(lateOnTheFourth, zoneCalendar(zone)))
            names.append(holiday.name);
        QCOMPARE(names, expected);
    }

    void easterAgreesWithOudinsAlgorithm()
    {
        for (int year = 1583; year <= 4099; ++year) {
            const QDate easter = oudinEaster(year);
            for (QDate date(year, 3, 1); date.month() <= 4; date = date.addDays(1)) {
                const QStringList names = namesOn(date, utc());
                if (names.contains(u"Easter"_qs) != (date == easter))
                    QFAIL(qPrintable(u"Easter wrong on "_qs + date.toString(Qt::ISODate)));
                if (names.contains(u"Good Friday"_qs) != (date == easter.addDays(-2)))
                    QFAIL(qPrintable(u"Good Friday wrong on "_qs + date.toString(Qt::ISODate)));
            }
        }
    }

    void movableHolidaysAgreeWithDateArithmetic()
    {
        for (QDate date(1900, 1, 1); date.year() <= 2100; date = date.addDays(1)) {
            const QStringList names = namesOn(date, utc());
            const int year = date.year();
            const bool ok = names.contains(u"Thanksgiving"_qs) == (date == nthWeekday(year, 11, Qt::Thursday, 4))
                    && names.contains(u"Memorial Day"_qs) == (date == lastMonday(year, 5))
                    && names.contains(u"Election Day"_qs) == isElectionDay(date)
                    && names.contains(u"Labor Day"_qs) == (date == nthWeekday(year, 9, Qt::Monday, 1));
            if (!ok)
                QFAIL(qPrintable(u"wrong on "_qs + date.toString(Qt::ISODate) + u": "_qs + names.join(u", ")));
        }
    }
};

QTEST_GUILESS_MAIN(TestHolidays)
#include "test_holidays.moc"
