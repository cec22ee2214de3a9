#include "googlecalendarapi.h"
#include "clock.h"
#include "googledateformat.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QUrlQuery>

#include <QCoroNetworkReply>

using GoogleAPIClient::APIError;
using GoogleAPIClient::NetworkError;

namespace {

const QString kCollectionPath = QStringLiteral("/calendar/v3/calendars/primary/events");

// Errors of the connection itself, as opposed to those Qt derives from an HTTP status.
bool isTransportError(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied)
            || error == QNetworkReply::ProtocolFailure;
}

QString textOrUnknown(const QByteArray &body)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(body);
    return decoder.hasError() ? QStringLiteral("Unknown error") : text;
}

NetworkError networkError(QNetworkReply &reply)
{
    // Nothing here aborts a request, so a cancelled one ran into the transfer timeout; Qt 6.4
    // reports that only as "Operation canceled".
    if (reply.error() == QNetworkReply::OperationCanceledError)
        return {QNetworkReply::TimeoutError, QStringLiteral("The request timed out.")};
    return {reply.error(), reply.errorString()};
}

// The body of a 2xx answer; otherwise the error the answer stands for.
GoogleResult<QByteArray> outcomeOf(QNetworkReply &reply)
{
    const QNetworkReply::NetworkError error = reply.error();
    if (isTransportError(error))
        return networkError(reply);
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QByteArray body = reply.readAll();
    if (!status.isValid()) {
        if (error != QNetworkReply::NoError)
            return networkError(reply);
        return APIError::requestFailed(-1, textOrUnknown(body));
    }
    const int code = status.toInt();
    if (code >= 200 && code <= 299)
        return body;
    return APIError::requestFailed(code, textOrUnknown(body));
}

APIError invalidEventId()
{
    return APIError::requestFailed(-1, QStringLiteral("Invalid event id"));
}

// Query values are percent-encoded (":" may stay) so that a page token holding "+", "&" or "="
// arrives exactly as Google sent it.
void addQueryItem(QString &query, const QString &key, const QString &value)
{
    if (!query.isEmpty())
        query += u'&';
    query += key + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(value, ":"));
}

} // namespace

QUrl GoogleCalendarAPI::defaultApiRoot()
{
    return QUrl(QStringLiteral("https://www.googleapis.com"));
}

GoogleCalendarAPI::GoogleCalendarAPI(const QUrl &apiRoot, GoogleSignInClient *signIn)
    : m_network(std::make_unique<QNetworkAccessManager>()), m_apiRoot(apiRoot), m_signIn(signIn)
{
}

GoogleCalendarAPI::~GoogleCalendarAPI() = default;

GoogleSignInClient &GoogleCalendarAPI::signIn() const
{
    return m_signIn ? *m_signIn : GoogleSignInClient::shared();
}

std::optional<QString> GoogleCalendarAPI::eventPathSegment(const QString &eventId)
{
    // "." and ".." are unreserved, so encoding leaves them as they are, and as path segments
    // they would name the collection or its parent.
    if (eventId.isEmpty() || eventId == u"." || eventId == u"..")
        return std::nullopt;
    return QString::fromLatin1(QUrl::toPercentEncoding(eventId));
}

QUrl GoogleCalendarAPI::collectionUrl() const
{
    QUrl url;
    url.setScheme(m_apiRoot.scheme());
    url.setHost(m_apiRoot.host());
    url.setPort(m_apiRoot.port());
    url.setPath(kCollectionPath);
    return url;
}

std::optional<QUrl> GoogleCalendarAPI::eventUrl(const QString &eventId) const
{
    const std::optional<QString> segment = eventPathSegment(eventId);
    if (!segment)
        return std::nullopt;
    QUrl url = collectionUrl();
    url.setPath(kCollectionPath + u'/' + *segment, QUrl::TolerantMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

QCoro::Task<GoogleResult<QByteArray>> GoogleCalendarAPI::send(QByteArray method, QUrl url, std::optional<QByteArray> body)
{
    const GoogleResult<QString> token = co_await GoogleAPIClient::validAccessToken(signIn());
    if (!token)
        co_return token.error();

    QNetworkRequest request(url);
    request.setTransferTimeout(int(m_timeout.count()));
    // The bearer token must never follow a redirect to another host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    request.setRawHeader("Authorization", "Bearer " + token.value().toUtf8());
    if (body)
        request.setRawHeader("Content-Type", "application/json");

    QPointer<QNetworkReply> reply;
    if (method == "GET")
        reply = m_network->get(request);
    else if (method == "POST")
        reply = m_network->post(request, body.value_or(QByteArray()));
    else if (method == "DELETE")
        reply = m_network->deleteResource(request);
    else
        reply = m_network->sendCustomRequest(request, method, body.value_or(QByteArray()));
    const auto cleanup = qScopeGuard([reply] {
        if (reply)
            reply->deleteLater();
    });

    co_await reply.get();
    if (!reply)
        co_return NetworkError{QNetworkReply::OperationCanceledError, QStringLiteral("The request was cancelled.")};
    co_return outcomeOf(*reply);
}

QCoro::Task<GoogleResult<GoogleCalendarAPI::EventsListResponse>>
GoogleCalendarAPI::fetchPage(Instant windowStart, Instant windowEnd, std::optional<QString> pageToken)
{
    QString query;
    addQueryItem(query, QStringLiteral("timeMin"), GoogleDateFormat::formatDateTime(windowStart));
    addQueryItem(query, QStringLiteral("timeMax"), GoogleDateFormat::formatDateTime(windowEnd));
    addQueryItem(query, QStringLiteral("singleEvents"), QStringLiteral("true"));
    addQueryItem(query, QStringLiteral("showDeleted"), QStringLiteral("true"));
    addQueryItem(query, QStringLiteral("maxResults"), QString::number(pageSize));
    if (pageToken)
        addQueryItem(query, QStringLiteral("pageToken"), *pageToken);
    QUrl url = collectionUrl();
    url.setQuery(query, QUrl::StrictMode);

    const GoogleResult<QByteArray> answer = co_await send("GET", url, std::nullopt);
    if (!answer)
        co_return answer.error();
    co_return decodeEventsPage(answer.value());
}

QCoro::Task<GoogleResult<GoogleCalendarAPI::FetchResult>> GoogleCalendarAPI::fetchEvents(Calendar calendar)
{
    const Instant now = Clock::shared().now();
    FetchResult result;
    result.windowStart = calendar.addDays(now, -windowDaysBack);
    result.windowEnd = calendar.addDays(now, windowDaysAhead);

    std::optional<QString> pageToken;
    int pages = 0;
    do {
        GoogleResult<EventsListResponse> page = co_await fetchPage(result.windowStart, result.windowEnd, pageToken);
        if (!page)
            co_return page.error();
        result.events.append(std::move(page.value().items));
        pageToken = page.value().nextPageToken;
        // An empty token would ask for the first page again.
        if (pageToken && pageToken->isEmpty())
            pageToken.reset();
        ++pages;
    } while (pageToken && pages < maxPages);
    result.isComplete = !pageToken;
    co_return result;
}

QCoro::Task<GoogleResult<GoogleCalendarAPI::GoogleEvent>> GoogleCalendarAPI::insertEvent(GoogleEventWrite body)
{
    const GoogleResult<QByteArray> answer = co_await send("POST", collectionUrl(), encodeWriteBody(body));
    if (!answer)
        co_return answer.error();
    co_return decodeEvent(answer.value());
}

QCoro::Task<GoogleResult<GoogleCalendarAPI::GoogleEvent>> GoogleCalendarAPI::patchEvent(QString eventId, GoogleEventWrite body)
{
    const std::optional<QUrl> url = eventUrl(eventId);
    if (!url)
        co_return invalidEventId();
    const GoogleResult<QByteArray> answer = co_await send("PATCH", *url, encodeWriteBody(body));
    if (!answer)
        co_return answer.error();
    co_return decodeEvent(answer.value());
}

QCoro::Task<GoogleResult<>> GoogleCalendarAPI::deleteEvent(QString eventId)
{
    const std::optional<QUrl> url = eventUrl(eventId);
    if (!url)
        co_return invalidEventId();
    const GoogleResult<QByteArray> answer = co_await send("DELETE", *url, std::nullopt);
    if (!answer)
        co_return answer.error();
    co_return GoogleResult<>(std::monostate{});
}
