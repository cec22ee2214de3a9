#include "eventpalette.h"

#include "palette.h"

EventPalette::EventPalette(QObject *parent) : QObject(parent) {}

QStringList EventPalette::names() const
{
    QStringList names;
    for (const PaletteColour &entry : palette())
        names.append(entry.name);
    return names;
}

QVariantList EventPalette::colours() const
{
    QVariantList colours;
    for (const PaletteColour &entry : palette())
        colours.append(QVariant::fromValue(entry.colour));
    return colours;
}

QString EventPalette::defaultName() const
{
    return defaultColourName();
}

QColor EventPalette::colourNamed(const QString &name) const
{
    return ::colourNamed(name);
}
