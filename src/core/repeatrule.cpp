#include "repeatrule.h"

namespace {

struct RuleLabel
{
    RepeatRule rule;
    const char16_t *label;
};

constexpr std::array<RuleLabel, 5> kRuleLabels = {{
    {RepeatRule::never, u"Does not repeat"},
    {RepeatRule::daily, u"Every day"},
    {RepeatRule::weekly, u"Every week"},
    {RepeatRule::biweekly, u"Every 2 weeks"},
    {RepeatRule::monthly, u"Every month"},
}};

// Whether `day` belongs to the series. Works on dates, not instants: the rules only look at
// calendar days, and date arithmetic cannot slip a day across a daylight-saving change.
class OccurrenceMatcher
{
public:
    OccurrenceMatcher(RepeatRule rule, QDate firstDay, QDate firstWeekStart, const QSet<int> &weekdays)
        : m_rule(rule), m_firstDay(firstDay), m_firstWeekStart(firstWeekStart), m_weekdays(weekdays)
    {
    }

    bool matches(QDate day) const
    {
        switch (m_rule) {
        case RepeatRule::never:
            return false;
        case RepeatRule::daily:
            return true;
        case RepeatRule::weekly:
            return onChosenWeekday(day);
        case RepeatRule::biweekly:
            return inEvenWeek(day) && onChosenWeekday(day);
        case RepeatRule::monthly:
            return day.day() == m_firstDay.day();
        }
        return false;
    }

private:
    bool onChosenWeekday(QDate day) const { return m_weekdays.contains(Calendar::weekdayOf(day)); }

    // The first week start is aligned to the calendar's first weekday, so whole weeks since it
    // number the week that holds `day`.
    bool inEvenWeek(QDate day) const { return (m_firstWeekStart.daysTo(day) / 7) % 2 == 0; }

    RepeatRule m_rule;
    QDate m_firstDay;
    QDate m_firstWeekStart;
    QSet<int> m_weekdays;
};

}

QString repeatRuleLabel(RepeatRule rule)
{
    for (const RuleLabel &entry : kRuleLabels) {
        if (entry.rule == rule)
            return QString::fromUtf16(entry.label);
    }
    return {};
}

std::optional<RepeatRule> repeatRuleFromLabel(const QString &label)
{
    for (const RuleLabel &entry : kRuleLabels) {
        if (label == QStringView(entry.label))
            return entry.rule;
    }
    return std::nullopt;
}

QList<int> occurrenceOffsets(const Calendar &calendar, Instant firstStart, RepeatRule rule,
                             const QSet<int> &weekdays, Instant lastDay)
{
    const QList<int> firstDayOnly = {0};
    if (rule == RepeatRule::never)
        return firstDayOnly;
    const QDate firstDay = calendar.dateOf(firstStart);
    const QDate finalDay = calendar.dateOf(lastDay);
    if (!firstDay.isValid() || !finalDay.isValid() || finalDay < firstDay)
        return firstDayOnly;

    const int span = int(std::min<qint64>(firstDay.daysTo(finalDay), kMaxSeriesSpanDays));
    const QDate firstWeekStart = calendar.dateOf(calendar.weekInterval(firstStart).start);
    const OccurrenceMatcher matcher(rule, firstDay, firstWeekStart.isValid() ? firstWeekStart : firstDay,
                                    weekdays.isEmpty() ? QSet<int>{Calendar::weekdayOf(firstDay)} : weekdays);

    QList<int> offsets;
    for (int offset = 0; offset <= span && offsets.size() < kMaxSeriesOccurrences; ++offset) {
        const QDate day = firstDay.addDays(offset);
        if (day.isValid() && matcher.matches(day))
            offsets.append(offset);
    }
    return offsets.isEmpty() ? firstDayOnly : offsets;
}
