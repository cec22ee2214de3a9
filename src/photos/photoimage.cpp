#include "photoimage.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

namespace PhotoImage {

namespace {

using SizeRule = QSize (*)(QSize);

QSize scaledToSide(QSize size, int side, int limit)
{
    if (side <= limit)
        return size;
    const auto scale = [&](int length) { return qMax(1, qRound(double(length) * limit / side)); };
    return {scale(size.width()), scale(size.height())};
}

QSize unchanged(QSize size)
{
    return size;
}

// Both rules scale width and height by the same factor, so they give the same result whether
// they see the size before or after the camera orientation is applied.
QImage readUpright(QImageReader &reader, SizeRule rule)
{
    reader.setAutoTransform(true);
    reader.setQuality(75); // at 50 or more the JPEG decoder scales smoothly, not by dropping pixels
    const QSize encoded = reader.size();
    if (encoded.isValid() && rule(encoded) != encoded)
        reader.setScaledSize(rule(encoded)); // lets the JPEG decoder skip most of the work
    QImage image = reader.read();
    if (image.isNull()) {
        qWarning("Dayloom: cannot decode the image: %s", qUtf8Printable(reader.errorString()));
        return image;
    }
    const QSize target = rule(image.size());
    if (target != image.size())
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

}

QSize storedSize(QSize size)
{
    return scaledToSide(size, qMax(size.width(), size.height()), maxStoredSide);
}

QSize thumbnailSize(QSize size)
{
    return scaledToSide(size, qMin(size.width(), size.height()), maxThumbnailShortSide);
}

std::optional<QByteArray> encodeForStrip(const QByteArray &data)
{
    QBuffer input;
    input.setData(data);
    QImageReader reader(&input);
    const QImage image = readUpright(reader, storedSize);
    if (image.isNull())
        return std::nullopt;

    QByteArray jpeg;
    QBuffer output(&jpeg);
    output.open(QIODevice::WriteOnly);
    QImageWriter writer(&output, "jpeg");
    writer.setQuality(storedJpegQuality);
    if (!writer.write(image)) {
        qWarning("Dayloom: cannot encode the photo as JPEG: %s", qUtf8Printable(writer.errorString()));
        return std::nullopt;
    }
    return jpeg;
}

QImage readFull(const QString &path)
{
    QImageReader reader(path);
    return readUpright(reader, unchanged);
}

QImage readThumbnail(const QString &path)
{
    QImageReader reader(path);
    return readUpright(reader, thumbnailSize);
}

}
