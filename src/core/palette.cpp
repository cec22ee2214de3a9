#include "palette.h"

const QList<PaletteColour> &palette()
{
    static const QList<PaletteColour> colours = {
        {QStringLiteral("Tomato"), QColor::fromRgbF(0.84f, 0.20f, 0.15f)},
        {QStringLiteral("Tangerine"), QColor::fromRgbF(0.96f, 0.49f, 0.09f)},
        {QStringLiteral("Banana"), QColor::fromRgbF(0.96f, 0.75f, 0.13f)},
        {QStringLiteral("Sage"), QColor::fromRgbF(0.35f, 0.58f, 0.35f)},
        {QStringLiteral("Peacock"), QColor::fromRgbF(0.02f, 0.53f, 0.62f)},
        {QStringLiteral("Blueberry"), QColor::fromRgbF(0.16f, 0.26f, 0.65f)},
        {QStringLiteral("Lavender"), QColor::fromRgbF(0.45f, 0.45f, 0.85f)},
        {QStringLiteral("Grape"), QColor::fromRgbF(0.42f, 0.20f, 0.60f)},
        {QStringLiteral("Graphite"), QColor::fromRgbF(0.40f, 0.40f, 0.40f)},
    };
    return colours;
}

QString defaultColourName()
{
    return QStringLiteral("Peacock");
}

QColor colourNamed(const QString &name)
{
    for (const PaletteColour &entry : palette()) {
        if (entry.name == name)
            return entry.colour;
    }
    return accentColour();
}

QColor accentColour()
{
    static const QColor accent = QColor::fromRgbF(0.10f, 0.45f, 0.91f);
    return accent;
}
