#include "userprofile.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

namespace {

void writeString(rapidjson::Writer<rapidjson::StringBuffer> &writer, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    writer.String(utf8.constData(), rapidjson::SizeType(utf8.size()));
}

std::optional<QString> stringMember(const rapidjson::Value &object, const char *key)
{
    const auto found = object.FindMember(key);
    if (found == object.MemberEnd() || !found->value.IsString())
        return std::nullopt;
    return QString::fromUtf8(found->value.GetString(), found->value.GetStringLength());
}

} // namespace

QByteArray UserProfile::encode() const
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("name");
    writeString(writer, name);
    writer.Key("email");
    writeString(writer, email);
    if (photoData) {
        writer.Key("photoData");
        const QByteArray base64 = photoData->toBase64();
        writer.String(base64.constData(), rapidjson::SizeType(base64.size()));
    }
    writer.EndObject();
    return QByteArray(buffer.GetString(), qsizetype(buffer.GetSize()));
}

std::optional<UserProfile> UserProfile::decode(const QByteArray &json)
{
    rapidjson::Document document;
    document.Parse(json.constData(), size_t(json.size()));
    if (document.HasParseError() || !document.IsObject())
        return std::nullopt;
    const auto name = stringMember(document, "name");
    const auto email = stringMember(document, "email");
    if (!name || !email)
        return std::nullopt;
    UserProfile profile{*name, *email, std::nullopt};
    const auto photo = document.FindMember("photoData");
    if (photo == document.MemberEnd() || photo->value.IsNull())
        return profile;
    if (!photo->value.IsString())
        return std::nullopt;
    auto decoded = QByteArray::fromBase64Encoding(
            QByteArray(photo->value.GetString(), qsizetype(photo->value.GetStringLength())),
            QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    profile.photoData = std::move(*decoded);
    return profile;
}
