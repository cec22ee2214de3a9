#pragma once

#include <QString>
#include <QStringView>

#include <array>

// One reminder the editor and the settings offer: minutes before the start, and its label.
struct ReminderChoice
{
    int minutes;
    QStringView label;
};

// The offered reminders, in the order they are listed.
inline constexpr std::array<ReminderChoice, 6> kReminderChoices{{
    {15, u"15 minutes"},
    {30, u"30 minutes"},
    {45, u"45 minutes"},
    {60, u"1 hour"},
    {180, u"3 hours"},
    {300, u"5 hours"},
}};

// The label of a reminder of `minutes`: the offered label, or the number followed by " minutes".
QString reminderLabel(qint64 minutes);
