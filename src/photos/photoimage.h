#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

// Decoding, scaling and JPEG encoding of the strip's photos. Pure functions of their input, so
// they may run on a worker thread.
namespace PhotoImage {

constexpr int maxStoredSide = 1600;
constexpr int storedJpegQuality = 85;
constexpr int maxThumbnailShortSide = 260;

// `size` scaled so that its longer side is at most maxStoredSide.
QSize storedSize(QSize size);
// `size` scaled so that its shorter side is at most maxThumbnailShortSide.
QSize thumbnailSize(QSize size);

// The picked image turned upright (camera orientation applied), scaled to storedSize and encoded
// as JPEG; nothing when it does not decode or encode.
std::optional<QByteArray> encodeForStrip(const QByteArray &data);

// A stored photo at full size or as a thumbnail; a null image when the file cannot be read.
QImage readFull(const QString &path);
QImage readThumbnail(const QString &path);

}
