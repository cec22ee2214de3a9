#include "calendarmode.h"

const QList<Mode> &allModes()
{
    static const QList<Mode> modes = {Mode::Day, Mode::Week, Mode::Month, Mode::Year};
    return modes;
}

QString modeLabel(Mode mode)
{
    switch (mode) {
    case Mode::Day: return QStringLiteral("Day");
    case Mode::Week: return QStringLiteral("Week");
    case Mode::Month: return QStringLiteral("Month");
    case Mode::Year: return QStringLiteral("Year");
    }
    return {};
}

std::optional<Mode> modeFromLabel(const QString &label)
{
    for (const Mode mode : allModes()) {
        if (modeLabel(mode) == label)
            return mode;
    }
    return std::nullopt;
}
