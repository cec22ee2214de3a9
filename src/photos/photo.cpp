#include "photo.h"

#include "uuid.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace {

const QString jpegSuffix = QStringLiteral(".jpg");

QUrl providerUrl(const QString &kind, const QString &id)
{
    return QUrl(QStringLiteral("image://") + Photo::imageProviderName() + QLatin1Char('/') + kind
                + QLatin1Char('/') + id);
}

std::optional<QString> stringMember(const rapidjson::Value &object, const char *name)
{
    const auto member = object.FindMember(name);
    if (member == object.MemberEnd() || !member->value.IsString())
        return std::nullopt;
    return QString::fromUtf8(member->value.GetString(), member->value.GetStringLength());
}

}

QString Photo::imageProviderName()
{
    return QStringLiteral("photostrip");
}

QUrl Photo::thumbnailUrl() const
{
    return providerUrl(QStringLiteral("thumbnail"), id);
}

QUrl Photo::imageUrl() const
{
    return providerUrl(QStringLiteral("image"), id);
}

Photo Photo::create()
{
    return {Uuid::create(), Uuid::create() + jpegSuffix};
}

bool Photo::isStoredFileName(const QString &fileName)
{
    return fileName.endsWith(jpegSuffix) && Uuid::isCanonical(fileName.chopped(jpegSuffix.size()));
}

namespace PhotoList {

QByteArray encode(const QList<Photo> &photos)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartArray();
    for (const Photo &photo : photos) {
        const QByteArray id = photo.id.toUtf8();
        const QByteArray fileName = photo.fileName.toUtf8();
        writer.StartObject();
        writer.Key("id");
        writer.String(id.constData(), rapidjson::SizeType(id.size()));
        writer.Key("fileName");
        writer.String(fileName.constData(), rapidjson::SizeType(fileName.size()));
        writer.EndObject();
    }
    writer.EndArray();
    return QByteArray(buffer.GetString(), qsizetype(buffer.GetSize()));
}

std::optional<QList<Photo>> decode(const QByteArray &json)
{
    rapidjson::Document document;
    document.Parse(json.constData(), size_t(json.size()));
    if (document.HasParseError() || !document.IsArray())
        return std::nullopt;
    QList<Photo> photos;
    for (const rapidjson::Value &entry : document.GetArray()) {
        if (!entry.IsObject())
            return std::nullopt;
        const std::optional<QString> id = stringMember(entry, "id");
        const std::optional<QString> fileName = stringMember(entry, "fileName");
        if (!id || !fileName || Uuid::normalized(*id).isEmpty())
            return std::nullopt;
        if (!Photo::isStoredFileName(*fileName)) {
            qWarning("Dayloom: skipping the stored photo entry with the foreign file name \"%s\"",
                     qUtf8Printable(*fileName));
            continue;
        }
        photos.append({Uuid::normalized(*id), *fileName});
    }
    return photos;
}

}
