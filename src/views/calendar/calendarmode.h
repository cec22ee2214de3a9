#pragma once

#include <QList>
#include <QString>

#include <optional>

// The display mode of the calendar screen. Its label is its stored and shown name; the
// declaration order is the order in which every list of modes shows them.
enum class Mode { Day, Week, Month, Year };

const QList<Mode> &allModes();
QString modeLabel(Mode mode);
std::optional<Mode> modeFromLabel(const QString &label);
