#include "fakegooglecalendar.h"

#include <QDateTime>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimeZone>
#include <QUrlQuery>

namespace {

const QString kCollectionPath = QStringLiteral("/calendar/v3/calendars/primary/events");

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Put: return "PUT";
    case QHttpServerRequest::Method::Delete: return "DELETE";
    case QHttpServerRequest::Method::Post: return "POST";
    case QHttpServerRequest::Method::Head: return "HEAD";
    case QHttpServerRequest::Method::Options: return "OPTIONS";
    case QHttpServerRequest::Method::Patch: return "PATCH";
    default: return "OTHER";
    }
}

QByteArray errorBody(int status, const char *message)
{
    return QJsonDocument(QJsonObject{{u"error"_qs, QJsonObject{{u"code"_qs, status}, {u"message"_qs, QString::fromUtf8(message)}}}})
            .toJson(QJsonDocument::Compact);
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Start or end of an event in milliseconds since the epoch; all-day dates count from UTC midnight.
std::optional<qint64> timeOf(const QJsonValue &time)
{
    const QJsonObject object = time.toObject();
    if (object.value(u"dateTime").isString()) {
        const QDateTime dateTime = QDateTime::fromString(object.value(u"dateTime").toString(), Qt::ISODateWithMs);
        if (dateTime.isValid())
            return dateTime.toMSecsSinceEpoch();
    }
    if (object.value(u"date").isString()) {
        const QDate date = QDate::fromString(object.value(u"date").toString(), Qt::ISODate);
        if (date.isValid())
            return date.startOfDay(QTimeZone::utc()).toMSecsSinceEpoch();
    }
    return std::nullopt;
}

// Google's overlap rule for "timeMin" and "timeMax"; events without usable times are listed.
bool overlaps(const QJsonObject &event, const std::optional<qint64> &min, const std::optional<qint64> &max)
{
    const std::optional<qint64> start = timeOf(event.value(u"start"));
    const std::optional<qint64> end = timeOf(event.value(u"end"));
    if (!start || !end)
        return true;
    return (!min || *end > *min) && (!max || *start < *max);
}

std::optional<qint64> queryTime(const QUrlQuery &query, const QString &key)
{
    if (!query.hasQueryItem(key))
        return std::nullopt;
    const QDateTime dateTime = QDateTime::fromString(query.queryItemValue(key, QUrl::FullyDecoded), Qt::ISODateWithMs);
    if (!dateTime.isValid())
        return std::nullopt;
    return dateTime.toMSecsSinceEpoch();
}

// Members of `changes` replace those of `target`; null removes them; objects merge the same way.
void mergeInto(QJsonObject &target, const QJsonObject &changes)
{
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isNull()) {
            target.remove(it.key());
        } else if (it.value().isObject()) {
            QJsonObject nested = target.value(it.key()).toObject();
            mergeInto(nested, it.value().toObject());
            target.insert(it.key(), nested);
        } else {
            target.insert(it.key(), it.value());
        }
    }
}

} // namespace

std::optional<QByteArray> FakeGoogleCalendar::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QList<QByteArray> FakeGoogleCalendar::Request::headerNames() const
{
    QList<QByteArray> names;
    for (const auto &header : headers)
        names.append(header.first.toLower());
    return names;
}

QString FakeGoogleCalendar::Request::queryValue(const QString &key) const
{
    return QUrlQuery(query).queryItemValue(key, QUrl::FullyDecoded);
}

FakeGoogleCalendar::FakeGoogleCalendar(QObject *parent) : QObject(parent)
{
    const auto handler = [this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        handle(request, std::move(responder));
    };
    m_server.route(kCollectionPath, handler);
    m_server.setMissingHandler(handler);
    m_port = m_server.listen(QHostAddress::LocalHost);
}

FakeGoogleCalendar::~FakeGoogleCalendar() = default;

QUrl FakeGoogleCalendar::rootUrl() const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_port);
    return url;
}

void FakeGoogleCalendar::stopListening()
{
    for (QTcpServer *server : m_server.servers())
        server->close();
}

QString FakeGoogleCalendar::addEvent(QJsonObject event)
{
    if (!event.value(u"id").isString())
        event.insert(u"id"_qs, QStringLiteral("ev%1").arg(m_nextId++));
    if (!event.contains(u"status"))
        event.insert(u"status"_qs, u"confirmed"_qs);
    if (!event.contains(u"updated"))
        event.insert(u"updated"_qs, nextUpdated());
    m_events.append(event);
    return event.value(u"id").toString();
}

QJsonObject FakeGoogleCalendar::timedEvent(const QString &summary, const QString &startDateTime, const QString &endDateTime)
{
    return {{u"summary"_qs, summary},
            {u"start"_qs, QJsonObject{{u"dateTime"_qs, startDateTime}}},
            {u"end"_qs, QJsonObject{{u"dateTime"_qs, endDateTime}}}};
}

QJsonObject FakeGoogleCalendar::allDayEvent(const QString &summary, const QString &startDate, const QString &endDate)
{
    return {{u"summary"_qs, summary},
            {u"start"_qs, QJsonObject{{u"date"_qs, startDate}}},
            {u"end"_qs, QJsonObject{{u"date"_qs, endDate}}}};
}

std::optional<QJsonObject> FakeGoogleCalendar::event(const QString &id) const
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return std::nullopt;
    return m_events.at(index);
}

QList<QJsonObject> FakeGoogleCalendar::liveEvents() const
{
    QList<QJsonObject> live;
    for (const QJsonObject &event : m_events) {
        if (event.value(u"status").toString() != u"cancelled")
            live.append(event);
    }
    return live;
}

void FakeGoogleCalendar::changeEvent(const QString &id, const QJsonObject &changes)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return;
    mergeInto(m_events[index], changes);
    m_events[index].insert(u"updated"_qs, nextUpdated());
}

void FakeGoogleCalendar::cancelEvent(const QString &id)
{
    changeEvent(id, QJsonObject{{u"status"_qs, u"cancelled"_qs}});
}

void FakeGoogleCalendar::forgetEvent(const QString &id)
{
    const qsizetype index = indexOf(id);
    if (index >= 0)
        m_events.removeAt(index);
}

void FakeGoogleCalendar::releaseHeld()
{
    std::vector<HeldAnswer> held = std::move(m_held);
    m_held.clear();
    for (HeldAnswer &entry : held)
        send(*entry.responder, entry.answer);
}

int FakeGoogleCalendar::requestCount(const QByteArray &method) const
{
    return int(std::count_if(m_requests.cbegin(), m_requests.cend(),
                             [&](const Request &request) { return request.method == method; }));
}

void FakeGoogleCalendar::handle(const QHttpServerRequest &request, QHttpServerResponder &&responder)
{
    Request recorded{methodName(request.method()), request.url().path(QUrl::FullyEncoded),
                     request.url().query(QUrl::FullyEncoded), request.headers(), request.body()};
    m_requests.append(recorded);
    emit requestReceived();

    if (const std::optional<Injection> injection = takeInjection(recorded.method)) {
        if (injection->dropConnection) {
            if (QTcpSocket *socket = responder.socket())
                socket->abort();
            return;
        }
        send(responder, {injection->status, injection->body});
        return;
    }
    const Answer result = answer(recorded);
    if (takeHold(recorded.method)) {
        m_held.push_back({std::make_unique<QHttpServerResponder>(std::move(responder)), result});
        emit requestHeld();
        return;
    }
    send(responder, result);
}

std::optional<FakeGoogleCalendar::Injection> FakeGoogleCalendar::takeInjection(const QByteArray &method)
{
    for (qsizetype i = 0; i < m_injections.size(); ++i) {
        Injection &injection = m_injections[i];
        if (!injection.method.isEmpty() && injection.method != method)
            continue;
        if (injection.skip > 0) {
            --injection.skip;
            return std::nullopt;
        }
        const Injection taken = injection;
        if (injection.times > 0 && --injection.times == 0)
            m_injections.removeAt(i);
        return taken;
    }
    return std::nullopt;
}

bool FakeGoogleCalendar::takeHold(const QByteArray &method)
{
    for (qsizetype i = 0; i < m_holds.size(); ++i) {
        if (m_holds.at(i).isEmpty() || m_holds.at(i) == method) {
            m_holds.removeAt(i);
            return true;
        }
    }
    return false;
}

FakeGoogleCalendar::Answer FakeGoogleCalendar::answer(const Request &request)
{
    if (request.path == kCollectionPath) {
        if (request.method == "GET")
            return list(request);
        if (request.method == "POST")
            return insert(request);
        return {405, errorBody(405, "Method not allowed")};
    }
    const QString prefix = kCollectionPath + u'/';
    if (!request.path.startsWith(prefix))
        return {404, errorBody(404, "Not Found")};
    const QString segment = request.path.mid(prefix.size());
    if (segment.contains(u'/'))
        return {404, errorBody(404, "Not Found")};
    const QString id = QUrl::fromPercentEncoding(segment.toLatin1());
    if (request.method == "PATCH")
        return patch(id, request);
    if (request.method == "DELETE")
        return remove(id);
    return {405, errorBody(405, "Method not allowed")};
}

FakeGoogleCalendar::Answer FakeGoogleCalendar::list(const Request &request)
{
    const QUrlQuery query(request.query);
    const bool showDeleted = query.queryItemValue(u"showDeleted"_qs) == u"true";
    const std::optional<qint64> min = queryTime(query, u"timeMin"_qs);
    const std::optional<qint64> max = queryTime(query, u"timeMax"_qs);
    int pageSize = m_maxPageSize;
    if (query.hasQueryItem(u"maxResults"_qs))
        pageSize = qBound(1, query.queryItemValue(u"maxResults"_qs).toInt(), m_maxPageSize);
    int offset = 0;
    if (query.hasQueryItem(u"pageToken"_qs)) {
        const QString token = query.queryItemValue(u"pageToken"_qs, QUrl::FullyDecoded);
        if (!m_pageTokens.contains(token))
            return {400, errorBody(400, "Invalid page token")};
        offset = m_pageTokens.value(token);
    }

    QList<QJsonObject> matching;
    for (const QJsonObject &event : m_events) {
        const bool cancelled = event.value(u"status").toString() == u"cancelled";
        if ((showDeleted || !cancelled) && overlaps(event, min, max))
            matching.append(event);
    }
    QJsonArray items;
    for (qsizetype i = offset; i < matching.size() && i < offset + pageSize; ++i)
        items.append(matching.at(i));
    QJsonObject page{{u"kind"_qs, u"calendar#events"_qs}, {u"items"_qs, items}};
    if (offset + pageSize < matching.size())
        page.insert(u"nextPageToken"_qs, pageToken(offset + pageSize));
    return {200, json(page)};
}

FakeGoogleCalendar::Answer FakeGoogleCalendar::insert(const Request &request)
{
    const QJsonDocument body = QJsonDocument::fromJson(request.body);
    if (!body.isObject())
        return {400, errorBody(400, "Bad Request")};
    QJsonObject event;
    mergeInto(event, body.object());
    event.remove(u"id"_qs);
    event.remove(u"status"_qs);
    event.remove(u"updated"_qs);
    const QString id = addEvent(event);
    return {200, json(*this->event(id))};
}

FakeGoogleCalendar::Answer FakeGoogleCalendar::patch(const QString &id, const Request &request)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return {404, errorBody(404, "Not Found")};
    if (m_events.at(index).value(u"status").toString() == u"cancelled")
        return {410, errorBody(410, "Resource has been deleted")};
    const QJsonDocument body = QJsonDocument::fromJson(request.body);
    if (!body.isObject())
        return {400, errorBody(400, "Bad Request")};
    changeEvent(id, body.object());
    return {200, json(m_events.at(index))};
}

FakeGoogleCalendar::Answer FakeGoogleCalendar::remove(const QString &id)
{
    const qsizetype index = indexOf(id);
    if (index < 0)
        return {404, errorBody(404, "Not Found")};
    if (m_events.at(index).value(u"status").toString() == u"cancelled")
        return {410, errorBody(410, "Resource has been deleted")};
    cancelEvent(id);
    return {204, QByteArray()};
}

qsizetype FakeGoogleCalendar::indexOf(const QString &id) const
{
    for (qsizetype i = 0; i < m_events.size(); ++i) {
        if (m_events.at(i).value(u"id").toString() == id)
            return i;
    }
    return -1;
}

// Each change moves "updated" on by one second, in Google's form with milliseconds.
QString FakeGoogleCalendar::nextUpdated()
{
    const QDateTime base(QDate(2024, 1, 1), QTime(0, 0), QTimeZone::utc());
    return base.addSecs(++m_updates).toString(Qt::ISODateWithMs);
}

// Opaque tokens that hold characters a query must encode.
QString FakeGoogleCalendar::pageToken(int offset)
{
    const QString token = QStringLiteral("p+%1/=&").arg(offset);
    m_pageTokens.insert(token, offset);
    return token;
}

void FakeGoogleCalendar::send(QHttpServerResponder &responder, const Answer &answer)
{
    // Headers and body go out in separate writes; without this, Nagle's algorithm and delayed
    // acknowledgements hold each answer back for about 40 ms.
    if (QTcpSocket *socket = responder.socket())
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Always with a body (maybe empty), which also sends its length.
    responder.write(answer.body, "application/json", static_cast<QHttpServerResponder::StatusCode>(answer.status));
}
