#pragma once

#include "calendar.h"
#include "instant.h"

#include <QList>
#include <QSet>
#include <QString>

#include <array>
#include <optional>

// How a new event repeats. A rule is identified by its label, which is what the editor shows and
// what repeatRuleFromLabel() reads back.
enum class RepeatRule {
    never,    // "Does not repeat"
    daily,    // "Every day"
    weekly,   // "Every week"
    biweekly, // "Every 2 weeks"
    monthly,  // "Every month"
};

// Every rule, in the order of the editor's choice list.
inline constexpr std::array<RepeatRule, 5> kAllRepeatRules = {
    RepeatRule::never, RepeatRule::daily, RepeatRule::weekly, RepeatRule::biweekly, RepeatRule::monthly,
};

QString repeatRuleLabel(RepeatRule rule);
// The rule whose label is exactly `label`; none for any other text.
std::optional<RepeatRule> repeatRuleFromLabel(const QString &label);

// Most members a series may have, and how many days after its first day it may reach.
inline constexpr int kMaxSeriesOccurrences = 150;
inline constexpr int kMaxSeriesSpanDays = 400;

// The days of a series as ascending offsets in calendar days from the day of `firstStart`, up to
// and including the day of `lastDay`. Weekdays (1 Sunday .. 7 Saturday) select the days of weekly
// and biweekly rules; an empty set means the first day's weekday. Biweekly takes every other week,
// weeks starting on the calendar's first weekday, counting from the week holding the first day.
// Never empty: when no day matches, the series is its first day alone.
QList<int> occurrenceOffsets(const Calendar &calendar, Instant firstStart, RepeatRule rule,
                             const QSet<int> &weekdays, Instant lastDay);
