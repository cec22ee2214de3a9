#pragma once

#include <QColor>
#include <QList>
#include <QString>

// One named event colour.
struct PaletteColour
{
    QString name;
    QColor colour;

    bool operator==(const PaletteColour &) const = default;
};

// The named event colours in the order the editor offers them.
const QList<PaletteColour> &palette();

// The colour name of an event that names none: "Peacock".
QString defaultColourName();

// The colour of the palette entry with exactly this name (case-sensitive); the accent colour for
// any other name, so that names from newer versions or empty names still draw.
QColor colourNamed(const QString &name);

// The tint of the whole interface, sRGB 0.10, 0.45, 0.91.
QColor accentColour();
