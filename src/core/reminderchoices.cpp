#include "reminderchoices.h"

QString reminderLabel(qint64 minutes)
{
    for (const ReminderChoice &choice : kReminderChoices) {
        if (choice.minutes == minutes)
            return choice.label.toString();
    }
    return QString::number(minutes) + QStringLiteral(" minutes");
}
