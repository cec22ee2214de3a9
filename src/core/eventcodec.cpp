#include "eventcodec.h"

#include "uuid.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cmath>

namespace EventCodec {

namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;
using Value = rapidjson::Value;

// Qt's UTF-8 conversion is much faster than the writer's own per-character transcoding.
void writeString(Writer &writer, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    writer.String(utf8.constData(), rapidjson::SizeType(utf8.size()));
}

void writeKey(Writer &writer, const char *key)
{
    writer.Key(key);
}

void writeOptionalString(Writer &writer, const char *key, const std::optional<QString> &value)
{
    if (!value)
        return;
    writeKey(writer, key);
    writeString(writer, *value);
}

bool writeEvent(Writer &writer, const CalendarEvent &event)
{
    writer.StartObject();
    writeKey(writer, "id");
    writeString(writer, event.id);
    writeKey(writer, "title");
    writeString(writer, event.title);
    for (const auto &[key, instant] : {std::pair{"date", event.date}, std::pair{"startTime", event.startTime},
                                        std::pair{"endTime", event.endTime}}) {
        writeKey(writer, key);
        if (!writer.Double(instant.seconds)) // refuses NaN and infinities
            return false;
    }
    writeKey(writer, "isAllDay");
    writer.Bool(event.isAllDay);
    writeKey(writer, "notes");
    writeString(writer, event.notes);
    writeKey(writer, "colorName");
    writeString(writer, event.colorName);
    writeOptionalString(writer, "googleEventId", event.googleEventId);
    writeOptionalString(writer, "googleUpdated", event.googleUpdated);
    writeKey(writer, "isDirty");
    writer.Bool(event.isDirty);
    if (event.attachment) {
        writeKey(writer, "attachment");
        writer.StartObject();
        writeKey(writer, "name");
        writeString(writer, event.attachment->name);
        writeKey(writer, "url");
        writeString(writer, event.attachment->url);
        writer.EndObject();
    }
    writeOptionalString(writer, "appleEventId", event.appleEventId);
    writeKey(writer, "location");
    writeString(writer, event.location);
    writeKey(writer, "instructor");
    writeString(writer, event.instructor);
    writeKey(writer, "category");
    writeString(writer, event.category);
    writeOptionalString(writer, "seriesId", event.seriesId);
    writeKey(writer, "reminderMinutes");
    writer.StartArray();
    for (const int minutes : event.reminderMinutes)
        writer.Int(minutes);
    writer.EndArray();
    writer.EndObject();
    return true;
}

// Reading: a key that is missing or JSON null is "missing"; a present key of the wrong type makes
// the record unreadable (Malformed is thrown and caught per list).
struct Malformed
{
};

const Value *member(const Value &object, const char *key)
{
    const auto it = object.FindMember(key);
    if (it == object.MemberEnd() || it->value.IsNull())
        return nullptr;
    return &it->value;
}

QString toQString(const Value &value)
{
    return QString::fromUtf8(value.GetString(), qsizetype(value.GetStringLength()));
}

std::optional<QString> optionalString(const Value &object, const char *key)
{
    const Value *value = member(object, key);
    if (!value)
        return std::nullopt;
    if (!value->IsString())
        throw Malformed{};
    return toQString(*value);
}

QString stringOr(const Value &object, const char *key, const QString &fallback)
{
    return optionalString(object, key).value_or(fallback);
}

QString requiredString(const Value &object, const char *key)
{
    const auto value = optionalString(object, key);
    if (!value)
        throw Malformed{};
    return *value;
}

Instant requiredInstant(const Value &object, const char *key)
{
    const Value *value = member(object, key);
    if (!value || !value->IsNumber())
        throw Malformed{};
    return Instant::fromSeconds(value->GetDouble());
}

std::optional<bool> optionalBool(const Value &object, const char *key)
{
    const Value *value = member(object, key);
    if (!value)
        return std::nullopt;
    if (!value->IsBool())
        throw Malformed{};
    return value->GetBool();
}

std::optional<QString> optionalUuid(const Value &object, const char *key)
{
    const auto text = optionalString(object, key);
    if (!text)
        return std::nullopt;
    const QString uuid = Uuid::normalized(*text);
    if (uuid.isEmpty())
        throw Malformed{};
    return uuid;
}

int wholeNumber(const Value &value)
{
    if (value.IsInt())
        return value.GetInt();
    if (value.IsNumber()) {
        const double number = value.GetDouble();
        if (std::isfinite(number) && number == std::trunc(number) && std::abs(number) <= 2147483647.0)
            return int(number);
    }
    throw Malformed{};
}

QList<int> reminderMinutes(const Value &object)
{
    const Value *value = member(object, "reminderMinutes");
    if (!value)
        return {};
    if (!value->IsArray())
        throw Malformed{};
    QList<int> minutes;
    minutes.reserve(value->Size());
    for (const Value &element : value->GetArray())
        minutes.append(wholeNumber(element));
    return minutes;
}

// The link of an event: "attachment" when present, otherwise an older "driveFile" object, which
// never makes the record unreadable.
std::optional<EventAttachment> attachment(const Value &object)
{
    if (const Value *value = member(object, "attachment")) {
        if (!value->IsObject())
            throw Malformed{};
        return EventAttachment{requiredString(*value, "name"), requiredString(*value, "url")};
    }
    const Value *legacy = member(object, "driveFile");
    if (!legacy || !legacy->IsObject())
        return std::nullopt;
    const Value *name = member(*legacy, "name");
    const Value *link = member(*legacy, "webViewLink");
    if (!name || !link || !name->IsString() || !link->IsString() || link->GetStringLength() == 0)
        return std::nullopt;
    return EventAttachment{toQString(*name), toQString(*link)};
}

CalendarEvent readEvent(const Value &object)
{
    if (!object.IsObject())
        throw Malformed{};
    CalendarEvent event;
    event.id = optionalUuid(object, "id").value_or(Uuid::create());
    event.title = requiredString(object, "title");
    event.date = requiredInstant(object, "date");
    event.startTime = requiredInstant(object, "startTime");
    event.endTime = requiredInstant(object, "endTime");
    event.isAllDay = optionalBool(object, "isAllDay").value_or(false);
    event.notes = stringOr(object, "notes", QString());
    event.colorName = stringOr(object, "colorName", QStringLiteral("Peacock"));
    event.googleEventId = optionalString(object, "googleEventId");
    event.googleUpdated = optionalString(object, "googleUpdated");
    event.isDirty = optionalBool(object, "isDirty").value_or(!event.googleEventId.has_value());
    event.attachment = attachment(object);
    event.appleEventId = optionalString(object, "appleEventId");
    event.location = stringOr(object, "location", QString());
    event.instructor = stringOr(object, "instructor", QString());
    event.category = stringOr(object, "category", QStringLiteral("Event"));
    event.seriesId = optionalUuid(object, "seriesId");
    event.reminderMinutes = reminderMinutes(object);
    return event;
}

}

std::optional<QByteArray> encode(const QList<CalendarEvent> &events)
{
    // The list is re-encoded on every change; reusing one buffer spares the allocation and page
    // faults of several megabytes each time.
    thread_local rapidjson::StringBuffer buffer;
    buffer.Clear();
    Writer writer(buffer);
    writer.StartArray();
    for (const CalendarEvent &event : events) {
        if (!writeEvent(writer, event))
            return std::nullopt;
    }
    writer.EndArray();
    // Capacity in whole 256 KiB steps: a list that grows by an event or two asks the allocator
    // for the size it just freed, so the memory is reused instead of mapped (and faulted) afresh.
    const qsizetype size = qsizetype(buffer.GetSize());
    constexpr qsizetype step = 256 * 1024;
    QByteArray encoded;
    encoded.reserve((size / step + 1) * step);
    encoded.append(buffer.GetString(), size);
    return encoded;
}

std::optional<QList<CalendarEvent>> decode(const QByteArray &json)
{
    rapidjson::Document document;
    document.Parse<rapidjson::kParseFullPrecisionFlag>(json.constData(), size_t(json.size()));
    if (document.HasParseError() || !document.IsArray())
        return std::nullopt;
    QList<CalendarEvent> events;
    events.reserve(document.Size());
    try {
        for (const Value &element : document.GetArray())
            events.append(readEvent(element));
    } catch (const Malformed &) {
        return std::nullopt;
    }
    return events;
}

}
