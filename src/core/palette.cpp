#include "palette.h"

QColor accentColour()
{
    static const QColor accent = QColor::fromRgbF(0.10f, 0.45f, 0.91f);
    return accent;
}
