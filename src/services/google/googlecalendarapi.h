#pragma once

#include "calendar.h"
#include "calendarevent.h"
#include "googleapiclient.h"
#include "instant.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;
class GoogleSignInClient;

// The four requests to the user's primary Google calendar, their JSON bodies and the conversion
// between a CalendarEvent and Google's event resource. Requests are sent one at a time by the
// caller; each takes a fresh access token just before it is built.
class GoogleCalendarAPI
{
public:
    // Google's start or end object: a timed instant or an all-day date.
    struct EventTime
    {
        std::optional<QString> dateTime;
        std::optional<QString> date; // "yyyy-MM-dd"
        bool operator==(const EventTime &) const = default;
    };

    // An event as Google sends it. "updated" is kept verbatim and never parsed.
    struct GoogleEvent
    {
        QString id;
        std::optional<QString> status; // "cancelled" for a deleted event
        std::optional<QString> summary;
        std::optional<QString> description;
        std::optional<QString> location;
        std::optional<EventTime> start;
        std::optional<EventTime> end;
        std::optional<QString> updated;

        bool isCancelled() const { return status == QStringLiteral("cancelled"); }
        bool operator==(const GoogleEvent &) const = default;
    };

    // The body of an insert or a patch. Both keys of each time are always written, the unused
    // one as null, so that a patch switching between timed and all-day clears the other form.
    struct GoogleEventWrite
    {
        QString summary;
        QString description;
        QString location;
        EventTime start;
        EventTime end;
        bool operator==(const GoogleEventWrite &) const = default;
    };

    // One page of a listing.
    struct EventsListResponse
    {
        QList<GoogleEvent> items;
        std::optional<QString> nextPageToken;
    };

    // A whole window listing: the pages' items in the order received.
    struct FetchResult
    {
        QList<GoogleEvent> events;
        Instant windowStart;
        Instant windowEnd;
        // False when the listing stopped at the page limit while Google offered more pages:
        // an event missing from `events` may then still exist at Google.
        bool isComplete = true;
    };

    struct EventTimes
    {
        Instant start;
        Instant end;
        bool isAllDay = false;
        bool operator==(const EventTimes &) const = default;
    };

    static constexpr int maxPages = 20;
    static constexpr int pageSize = 250;
    static constexpr int windowDaysBack = 30;
    static constexpr int windowDaysAhead = 365;
    static constexpr std::chrono::milliseconds defaultTimeout{60'000};

    // https://www.googleapis.com: scheme, host and port of the API.
    static QUrl defaultApiRoot();

    // Only the scheme, host and port of `apiRoot` are used. Without a sign-in client, the shared
    // one is asked at each request.
    explicit GoogleCalendarAPI(const QUrl &apiRoot = defaultApiRoot(), GoogleSignInClient *signIn = nullptr);
    ~GoogleCalendarAPI();
    GoogleCalendarAPI(const GoogleCalendarAPI &) = delete;
    GoogleCalendarAPI &operator=(const GoogleCalendarAPI &) = delete;

    const QUrl &apiRoot() const { return m_apiRoot; }
    void setApiRoot(const QUrl &apiRoot) { m_apiRoot = apiRoot; }
    std::chrono::milliseconds timeout() const { return m_timeout; }
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    void setSignInClient(GoogleSignInClient *signIn) { m_signIn = signIn; }

    // Lists the window from 30 days before now (the shared clock) to 365 days after, at most
    // 20 pages. Any failing page fails the whole listing.
    QCoro::Task<GoogleResult<FetchResult>> fetchEvents(Calendar calendar = Calendar::current());
    // The created event, with Google's "id" and "updated".
    QCoro::Task<GoogleResult<GoogleEvent>> insertEvent(GoogleEventWrite body);
    QCoro::Task<GoogleResult<GoogleEvent>> patchEvent(QString eventId, GoogleEventWrite body);
    QCoro::Task<GoogleResult<>> deleteEvent(QString eventId);

    // What Google receives of an event; all-day days are those of the calendar's time zone.
    static GoogleEventWrite makeWriteBody(const CalendarEvent &event, const Calendar &calendar = Calendar::current());
    // Start, end and all-day flag of a received event, or nothing when they are unusable.
    // An all-day end is the local midnight of Google's exclusive end date.
    static std::optional<EventTimes> eventTimes(const GoogleEvent &event, const Calendar &calendar = Calendar::current());

    // JSON forms, with the keys in the order above.
    static QByteArray encodeWriteBody(const GoogleEventWrite &body);
    static GoogleResult<GoogleEvent> decodeEvent(const QByteArray &json);
    static GoogleResult<EventsListResponse> decodeEventsPage(const QByteArray &json);

    // The path segment naming one event: every byte outside the unreserved characters is
    // percent-encoded ("/" too), so an id can only ever name one event. Nothing for an id that
    // no encoding makes safe ("", "." and "..").
    static std::optional<QString> eventPathSegment(const QString &eventId);

private:
    QCoro::Task<GoogleResult<EventsListResponse>> fetchPage(Instant windowStart, Instant windowEnd,
                                                            std::optional<QString> pageToken);
    QCoro::Task<GoogleResult<QByteArray>> send(QByteArray method, QUrl url, std::optional<QByteArray> body);
    QUrl collectionUrl() const;
    std::optional<QUrl> eventUrl(const QString &eventId) const;
    GoogleSignInClient &signIn() const;

    std::unique_ptr<QNetworkAccessManager> m_network;
    QUrl m_apiRoot;
    std::chrono::milliseconds m_timeout = defaultTimeout;
    GoogleSignInClient *m_signIn = nullptr;
};
