#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

// The signed-in person: display name, e-mail and photo (encoded image bytes, kept as received).
struct UserProfile
{
    Q_GADGET
    QML_VALUE_TYPE(userProfile)
    Q_PROPERTY(QString name MEMBER name)
    Q_PROPERTY(QString email MEMBER email)
    Q_PROPERTY(bool hasPhoto READ hasPhoto)

public:
    QString name;
    QString email;
    std::optional<QByteArray> photoData;

    bool hasPhoto() const { return photoData.has_value(); }
    bool operator==(const UserProfile &) const = default;

    // The stored form: {"name":…,"email":…,"photoData":<standard Base64>}, "photoData" left out
    // without a photo. Decoding requires "name" and "email" as strings; a "photoData" that is not
    // Base64 text makes the whole profile unreadable.
    QByteArray encode() const;
    static std::optional<UserProfile> decode(const QByteArray &json);
};

Q_DECLARE_METATYPE(UserProfile)
