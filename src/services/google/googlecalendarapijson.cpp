// JSON bodies of the Google Calendar requests and the conversion to and from CalendarEvent.
#include "googlecalendarapi.h"
#include "googledateformat.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

using GoogleAPIClient::DecodingError;

namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

// Full precision numbers; iterative so that deeply nested input cannot exhaust the stack;
// invalid UTF-8 is rejected.
constexpr unsigned kParseFlags =
        rapidjson::kParseFullPrecisionFlag | rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag;

void writeKey(JsonWriter &writer, const char *key)
{
    writer.Key(key);
}

void writeString(JsonWriter &writer, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    writer.String(utf8.constData(), rapidjson::SizeType(utf8.size()), true);
}

void writeOptionalString(JsonWriter &writer, const std::optional<QString> &text)
{
    if (text)
        writeString(writer, *text);
    else
        writer.Null();
}

void writeEventTime(JsonWriter &writer, const GoogleCalendarAPI::EventTime &time)
{
    writer.StartObject();
    writeKey(writer, "dateTime");
    writeOptionalString(writer, time.dateTime);
    writeKey(writer, "date");
    writeOptionalString(writer, time.date);
    writer.EndObject();
}

// Reads members the way Google's resources are read: a missing or null member is absent, a
// member of another type makes the whole document unreadable.
class Reader
{
public:
    bool failed() const { return !m_error.isEmpty(); }
    const QString &error() const { return m_error; }

    void fail(const QString &what)
    {
        if (m_error.isEmpty())
            m_error = what;
    }

    const rapidjson::Value *member(const rapidjson::Value &object, const char *key)
    {
        const auto found = object.FindMember(key);
        if (found == object.MemberEnd() || found->value.IsNull())
            return nullptr;
        return &found->value;
    }

    // The member when it has the expected type; nothing when it is absent or of another type.
    const rapidjson::Value *typedMember(const rapidjson::Value &object, const char *key,
                                        bool (rapidjson::Value::*hasType)() const, const char *typeName)
    {
        const rapidjson::Value *value = member(object, key);
        if (value && !(value->*hasType)()) {
            fail(QStringLiteral("\"%1\" is not %2").arg(QLatin1StringView(key), QLatin1StringView(typeName)));
            return nullptr;
        }
        return value;
    }

    std::optional<QString> optionalString(const rapidjson::Value &object, const char *key)
    {
        const rapidjson::Value *value = typedMember(object, key, &rapidjson::Value::IsString, "a string");
        if (!value)
            return std::nullopt;
        return QString::fromUtf8(value->GetString(), value->GetStringLength());
    }

    std::optional<GoogleCalendarAPI::EventTime> optionalEventTime(const rapidjson::Value &object, const char *key)
    {
        const rapidjson::Value *value = typedMember(object, key, &rapidjson::Value::IsObject, "an object");
        if (!value)
            return std::nullopt;
        return GoogleCalendarAPI::EventTime{optionalString(*value, "dateTime"), optionalString(*value, "date")};
    }

    GoogleCalendarAPI::GoogleEvent event(const rapidjson::Value &value)
    {
        GoogleCalendarAPI::GoogleEvent event;
        if (!value.IsObject()) {
            fail(QStringLiteral("an event is not an object"));
            return event;
        }
        const std::optional<QString> id = optionalString(value, "id");
        if (!id)
            fail(QStringLiteral("an event has no \"id\""));
        event.id = id.value_or(QString());
        event.status = optionalString(value, "status");
        event.summary = optionalString(value, "summary");
        event.description = optionalString(value, "description");
        event.location = optionalString(value, "location");
        event.start = optionalEventTime(value, "start");
        event.end = optionalEventTime(value, "end");
        event.updated = optionalString(value, "updated");
        return event;
    }

private:
    QString m_error;
};

// The parsed document, or the reason it could not be parsed.
std::optional<QString> parse(rapidjson::Document &document, const QByteArray &json)
{
    document.Parse<kParseFlags>(json.constData(), size_t(json.size()));
    if (!document.HasParseError())
        return std::nullopt;
    return QStringLiteral("invalid JSON at offset %1: %2")
            .arg(document.GetErrorOffset())
            .arg(QLatin1StringView(rapidjson::GetParseError_En(document.GetParseError())));
}

GoogleCalendarAPI::EventTime timedEventTime(Instant instant)
{
    return {GoogleDateFormat::formatDateTime(instant), std::nullopt};
}

GoogleCalendarAPI::EventTime allDayEventTime(Instant instant, const Calendar &calendar)
{
    return {std::nullopt, GoogleDateFormat::formatDay(instant, calendar)};
}

std::optional<Instant> timedInstant(const std::optional<GoogleCalendarAPI::EventTime> &time)
{
    if (!time || !time->dateTime)
        return std::nullopt;
    return GoogleDateFormat::parseDateTime(*time->dateTime);
}

std::optional<Instant> dayStart(const std::optional<GoogleCalendarAPI::EventTime> &time, const Calendar &calendar)
{
    if (!time || !time->date)
        return std::nullopt;
    return GoogleDateFormat::parseDay(*time->date, calendar);
}

} // namespace

QByteArray GoogleCalendarAPI::encodeWriteBody(const GoogleEventWrite &body)
{
    rapidjson::StringBuffer buffer;
    JsonWriter writer(buffer);
    writer.StartObject();
    writeKey(writer, "summary");
    writeString(writer, body.summary);
    writeKey(writer, "description");
    writeString(writer, body.description);
    writeKey(writer, "location");
    writeString(writer, body.location);
    writeKey(writer, "start");
    writeEventTime(writer, body.start);
    writeKey(writer, "end");
    writeEventTime(writer, body.end);
    writer.EndObject();
    return QByteArray(buffer.GetString(), qsizetype(buffer.GetSize()));
}

GoogleResult<GoogleCalendarAPI::GoogleEvent> GoogleCalendarAPI::decodeEvent(const QByteArray &json)
{
    rapidjson::Document document;
    if (const std::optional<QString> parseError = parse(document, json))
        return DecodingError{*parseError};
    Reader reader;
    GoogleEvent event = reader.event(document);
    if (reader.failed())
        return DecodingError{reader.error()};
    return event;
}

GoogleResult<GoogleCalendarAPI::EventsListResponse> GoogleCalendarAPI::decodeEventsPage(const QByteArray &json)
{
    rapidjson::Document document;
    if (const std::optional<QString> parseError = parse(document, json))
        return DecodingError{*parseError};
    if (!document.IsObject())
        return DecodingError{QStringLiteral("the listing is not an object")};
    Reader reader;
    EventsListResponse page;
    if (const rapidjson::Value *items = reader.member(document, "items")) {
        if (!items->IsArray())
            return DecodingError{QStringLiteral("\"items\" is not an array")};
        page.items.reserve(items->Size());
        for (const rapidjson::Value &item : items->GetArray())
            page.items.append(reader.event(item));
    }
    page.nextPageToken = reader.optionalString(document, "nextPageToken");
    if (reader.failed())
        return DecodingError{reader.error()};
    return page;
}

GoogleCalendarAPI::GoogleEventWrite GoogleCalendarAPI::makeWriteBody(const CalendarEvent &event, const Calendar &calendar)
{
    GoogleEventWrite body{event.title, event.notes, event.location, {}, {}};
    if (event.isAllDay) {
        body.start = allDayEventTime(event.startTime, calendar);
        body.end = allDayEventTime(event.endTime, calendar);
    } else {
        body.start = timedEventTime(event.startTime);
        body.end = timedEventTime(event.endTime);
    }
    return body;
}

std::optional<GoogleCalendarAPI::EventTimes> GoogleCalendarAPI::eventTimes(const GoogleEvent &event, const Calendar &calendar)
{
    const std::optional<Instant> timedStart = timedInstant(event.start);
    const std::optional<Instant> timedEnd = timedInstant(event.end);
    if (timedStart && timedEnd)
        return EventTimes{*timedStart, *timedEnd, false};
    const std::optional<Instant> allDayStart = dayStart(event.start, calendar);
    const std::optional<Instant> allDayEnd = dayStart(event.end, calendar);
    if (allDayStart && allDayEnd)
        return EventTimes{*allDayStart, *allDayEnd, true};
    return std::nullopt;
}
