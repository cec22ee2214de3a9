#pragma once

#include <QColor>

// The tint of the whole interface, sRGB 0.10, 0.45, 0.91.
QColor accentColour();
