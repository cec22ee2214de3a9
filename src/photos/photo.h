#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

// One photo of the strip: its identity and the name of its JPEG file in the strip's folder.
struct Photo
{
    Q_GADGET
    QML_VALUE_TYPE(photo)
    Q_PROPERTY(QString id READ photoId CONSTANT)
    Q_PROPERTY(QString fileName READ photoFileName CONSTANT)
    Q_PROPERTY(QUrl thumbnailUrl READ thumbnailUrl CONSTANT)
    Q_PROPERTY(QUrl imageUrl READ imageUrl CONSTANT)

public:
    QString id;       // upper-case UUID; the key of both image caches
    QString fileName; // another upper-case UUID followed by ".jpg"

    bool operator==(const Photo &) const = default;

    QString photoId() const { return id; }
    QString photoFileName() const { return fileName; }

    // The image provider that serves photos to QML, installed under this name:
    // image://photostrip/thumbnail/<id> and image://photostrip/image/<id>.
    static QString imageProviderName();
    QUrl thumbnailUrl() const;
    QUrl imageUrl() const;

    // A new photo with two fresh random UUIDs.
    static Photo create();
    // True only for names of the form the store writes, so that a name read from stored data can
    // never reach outside the folder.
    static bool isStoredFileName(const QString &fileName);
};

// The stored form of the strip: a compact JSON array of {"id", "fileName"} objects in list order.
namespace PhotoList {
QByteArray encode(const QList<Photo> &photos);
// Nothing when `json` is not that array. Entries whose file name is not one the store writes are
// dropped with a message.
std::optional<QList<Photo>> decode(const QByteArray &json);
}
