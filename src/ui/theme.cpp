#include "theme.h"

#include "palette.h"

Theme::Theme(QObject *parent) : QObject(parent) {}

QColor Theme::accent() const
{
    return accentColour();
}

QColor Theme::systemBackground() const
{
    return QColor(0xff, 0xff, 0xff);
}

QColor Theme::primary() const
{
    return QColor(0x00, 0x00, 0x00);
}

QColor Theme::secondary() const
{
    return QColor::fromRgbF(0.24f, 0.24f, 0.26f, 0.6f);
}
