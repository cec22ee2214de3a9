#pragma once

#include <QColor>
#include <QImage>
#include <QString>

// Renders a symbol's icon at a pixel size in one colour: black parts take the colour, white
// parts (cut-outs) and the background stay transparent, anti-aliased edges blend between them.
QImage renderSymbol(const QString &name, int pixelSize, const QColor &colour);
