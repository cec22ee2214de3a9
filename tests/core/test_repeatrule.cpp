#include "repeatrule.h"

#include <QTest>

namespace {

constexpr int Sun = 1, Mon = 2, Tue = 3, Wed = 4, Thu = 5, Sat = 7;

Calendar zoneCalendar(const QByteArray &zone, int firstWeekday)
{
    return Calendar(QTimeZone(zone), firstWeekday, QLocale(QLocale::English, QLocale::UnitedStates));
}

Instant at(const Calendar &calendar, const QString &wallClock)
{
    const QDateTime dt = QDateTime::fromString(wallClock, QStringLiteral("yyyy-MM-dd HH:mm"));
    return calendar.instantAt(dt.date(), dt.time());
}

QList<int> steps(int first, int last, int step)
{
    QList<int> offsets;
    for (int offset = first; offset <= last; offset += step)
        offsets.append(offset);
    return offsets;
}

}

class TestRepeatRule : public QObject
{
    Q_OBJECT

private slots:
    void labelsAreTheRawValuesInOrder()
    {
        const QStringList expected = {u"Does not repeat"_qs, u"Every day"_qs, u"Every week"_qs,
                                      u"Every 2 weeks"_qs, u"Every month"_qs};
        QStringList labels;
        for (const RepeatRule rule : kAllRepeatRules) {
            labels.append(repeatRuleLabel(rule));
            QCOMPARE(repeatRuleFromLabel(repeatRuleLabel(rule)), std::optional<RepeatRule>(rule));
        }
        QCOMPARE(labels, expected);
    }

    void textThatIsNoLabelGivesNoRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("other case") << u"every day"_qs;
        QTest::newRow("trailing space") << u"Every week "_qs;
        QTest::newRow("case name") << u"biweekly"_qs;
    }

    void textThatIsNoLabelGivesNoRule()
    {
        QFETCH(QString, text);
        QCOMPARE(repeatRuleFromLabel(text), std::nullopt);
    }

    void occurrenceOffsets_data()
    {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<int>("firstWeekday");
        QTest::addColumn<QString>("firstStart");
        QTest::addColumn<RepeatRule>("rule");
        QTest::addColumn<QSet<int>>("weekdays");
        QTest::addColumn<QString>("lastDay");
        QTest::addColumn<QList<int>>("expected");
        const QByteArray ny("America/New_York");

        // 1 May 2024 is a Wednesday.
        QTest::newRow("weekly mon+wed") << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::weekly
                                        << QSet<int>{Mon, Wed} << u"2024-05-15 09:00"_qs << QList<int>{0, 5, 7, 12, 14};
        QTest::newRow("weekly without weekdays takes the first day's")
                << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::weekly << QSet<int>{}
                << u"2024-05-22 09:00"_qs << QList<int>{0, 7, 14, 21};
        QTest::newRow("weekly leaves out a first day that does not match")
                << ny << Sun << u"2024-05-06 09:00"_qs << RepeatRule::weekly << QSet<int>{Tue, Thu}
                << u"2024-05-12 09:00"_qs << QList<int>{1, 3};
        QTest::newRow("biweekly wed") << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::biweekly
                                      << QSet<int>{Wed} << u"2024-05-29 09:00"_qs << QList<int>{0, 14, 28};
        // From Saturday 4 May: the next day opens a new week when weeks start on Sunday.
        QTest::newRow("biweekly sat+sun, weeks from sunday")
                << ny << Sun << u"2024-05-04 09:00"_qs << RepeatRule::biweekly << QSet<int>{Sat, Sun}
                << u"2024-05-19 09:00"_qs << QList<int>{0, 8, 14};
        QTest::newRow("biweekly sat+sun, weeks from monday")
                << ny << Mon << u"2024-05-04 09:00"_qs << RepeatRule::biweekly << QSet<int>{Sat, Sun}
                << u"2024-05-19 09:00"_qs << QList<int>{0, 1, 14, 15};
        QTest::newRow("monthly from the 31st skips shorter months")
                << ny << Sun << u"2024-01-31 09:00"_qs << RepeatRule::monthly << QSet<int>{}
                << u"2024-12-31 09:00"_qs << QList<int>{0, 60, 121, 182, 213, 274, 335};
        QTest::newRow("daily stops at 150") << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::daily
                                            << QSet<int>{} << u"2026-05-01 09:00"_qs << steps(0, 149, 1);
        // 1 January 2024 is a Monday; 4 February 2025 is 400 days later, a Tuesday.
        QTest::newRow("last day capped at 400 days") << ny << Sun << u"2024-01-01 09:00"_qs << RepeatRule::weekly
                                                     << QSet<int>{Tue} << u"2030-01-01 09:00"_qs << steps(1, 400, 7);
        QTest::newRow("last day's time of day does not matter")
                << ny << Sun << u"2024-05-01 18:00"_qs << RepeatRule::daily << QSet<int>{}
                << u"2024-05-03 08:00"_qs << QList<int>{0, 1, 2};
        QTest::newRow("never") << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::never << QSet<int>{}
                               << u"2024-06-01 09:00"_qs << QList<int>{0};
        QTest::newRow("last day before first day") << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::daily
                                                   << QSet<int>{} << u"2024-04-30 23:00"_qs << QList<int>{0};
        QTest::newRow("no day matches") << ny << Sun << u"2024-05-06 09:00"_qs << RepeatRule::weekly
                                        << QSet<int>{Tue} << u"2024-05-06 09:00"_qs << QList<int>{0};
        QTest::newRow("weekdays out of range match nothing")
                << ny << Sun << u"2024-05-01 09:00"_qs << RepeatRule::weekly << QSet<int>{0, 8}
                << u"2024-06-01 09:00"_qs << QList<int>{0};

        // Days are counted in the calendar's zone, across daylight-saving changes.
        // 3 November 2024 has 25 hours in New York; counting in seconds would see two Sundays.
        QTest::newRow("fall back, late start") << ny << Sun << u"2024-11-02 23:30"_qs << RepeatRule::weekly
                                               << QSet<int>{Sun} << u"2024-11-17 12:00"_qs << QList<int>{1, 8, 15};
        // 22:00 on 16 November in New York is already 17 November in UTC.
        QTest::newRow("last day read in the zone") << ny << Sun << u"2024-11-02 23:30"_qs << RepeatRule::weekly
                                                   << QSet<int>{Sun} << u"2024-11-16 22:00"_qs << QList<int>{1, 8};
        // 23:30 on Saturday 9 March in New York is Sunday in UTC.
        QTest::newRow("spring forward, first day's weekday in the zone")
                << ny << Sun << u"2024-03-09 23:30"_qs << RepeatRule::weekly << QSet<int>{}
                << u"2024-03-23 23:30"_qs << QList<int>{0, 7, 14};
        // Santiago skips midnight on Sunday 8 September 2024 (00:00 -> 01:00), the first week's start.
        QTest::newRow("week starting in a gap") << QByteArray("America/Santiago") << Sun << u"2024-09-11 09:00"_qs
                                                << RepeatRule::biweekly << QSet<int>{Sun, Wed}
                                                << u"2024-09-28 09:00"_qs << QList<int>{0, 11, 14};
    }

    void occurrenceOffsets()
    {
        QFETCH(QByteArray, zone);
        QFETCH(int, firstWeekday);
        QFETCH(QString, firstStart);
        QFETCH(RepeatRule, rule);
        QFETCH(QSet<int>, weekdays);
        QFETCH(QString, lastDay);
        QFETCH(QList<int>, expected);
        const Calendar calendar = zoneCalendar(zone, firstWeekday);
        QCOMPARE(::occurrenceOffsets(calendar, at(calendar, firstStart), rule, weekdays, at(calendar, lastDay)),
                 expected);
    }
};

QTEST_GUILESS_MAIN(TestRepeatRule)
#include "test_repeatrule.moc"
