#include "symbolimage.h"

#include "symboltable.h"

#include <QPainter>
#include <QSvgRenderer>

namespace {

// Ink is how dark a pixel is: black ink covers fully, white ink cuts out.
QImage tinted(const QImage &drawing, const QColor &colour)
{
    QImage result(drawing.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb base = colour.rgba();
    for (int y = 0; y < drawing.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(drawing.constScanLine(y));
        QRgb *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < drawing.width(); ++x) {
            const int alpha = qAlpha(in[x]);
            // Un-premultiplied grey level of the pixel, 0 (black) to 255 (white).
            const int grey = alpha == 0 ? 255 : qGray(in[x]) * 255 / alpha;
            const int coverage = alpha * (255 - grey) / 255 * qAlpha(base) / 255;
            out[x] = qPremultiply(qRgba(qRed(base), qGreen(base), qBlue(base), coverage));
        }
    }
    return result;
}

}

QImage renderSymbol(const QString &name, int pixelSize, const QColor &colour)
{
    if (pixelSize <= 0)
        return {};
    QSvgRenderer renderer(SymbolTable::resourcePath(name));
    QImage drawing(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    drawing.fill(Qt::transparent);
    QPainter painter(&drawing);
    renderer.render(&painter, QRectF(0, 0, pixelSize, pixelSize));
    painter.end();
    return tinted(drawing, colour);
}
