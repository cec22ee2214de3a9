#include "awaittask.h"
#include "clock.h"
#include "fakegooglecalendar.h"
#include "fakegooglesignin.h"
#include "googlecalendarapi.h"

#include <QJsonObject>
#include <QTest>

#include <QCoro/QCoroTask>

using GoogleAPIClient::APIError;
using Injection = FakeGoogleCalendar::Injection;

Q_DECLARE_METATYPE(Injection)

namespace {

using Api = GoogleCalendarAPI;

// 2024-03-20 08:00 in New York (EDT); 30 days earlier New York still kept EST.
const Instant kNow = Instant::fromDateTime(QDateTime(QDate(2024, 3, 20), QTime(12, 0), QTimeZone::utc()));

Calendar newYork()
{
    return Calendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));
}

Api::GoogleEventWrite timedBody()
{
    return {u"Standup"_qs, u"Notes"_qs, u"Room 1"_qs,
            {u"2024-05-01T07:30:00Z"_qs, std::nullopt}, {u"2024-05-01T08:00:00Z"_qs, std::nullopt}};
}

QString messageOf(const GoogleAPIClient::Error &error)
{
    return GoogleAPIClient::syncErrorMessage(error);
}

}

class TestGoogleCalendarAPI : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<FakeGoogleCalendar> m_server;
    std::unique_ptr<FakeGoogleSignInClient> m_signIn;
    std::unique_ptr<Api> m_api;
    std::unique_ptr<FixedClock> m_clock;

    // The headers a request carries besides those the network layer always adds.
    static QList<QByteArray> ownHeaders(const FakeGoogleCalendar::Request &request)
    {
        static const QList<QByteArray> transport = {"host", "connection", "accept-encoding", "accept-language",
                                                    "user-agent", "content-length"};
        QList<QByteArray> names = request.headerNames();
        names.removeIf([](const QByteArray &name) { return transport.contains(name); });
        std::sort(names.begin(), names.end());
        return names;
    }

    void addTimedEvents(int count)
    {
        for (int i = 0; i < count; ++i)
            m_server->addEvent(FakeGoogleCalendar::timedEvent(QStringLiteral("Event %1").arg(i), u"2024-05-02T10:00:00Z"_qs,
                                                              u"2024-05-02T11:00:00Z"_qs));
    }

private slots:
    void init()
    {
        m_clock = std::make_unique<FixedClock>(kNow);
        Clock::setShared(m_clock.get());
        m_server = std::make_unique<FakeGoogleCalendar>();
        m_signIn = std::make_unique<FakeGoogleSignInClient>(FakeGoogleSignInClient::user(u"ada@example.com"_qs, u"token-1"_qs));
        m_api = std::make_unique<Api>(m_server->rootUrl(), m_signIn.get());
    }

    void cleanup()
    {
        m_api.reset();
        m_server.reset();
        m_signIn.reset();
        Clock::setShared(nullptr);
    }

    void defaultRootIsGoogle()
    {
        QCOMPARE(Api::defaultApiRoot(), QUrl(u"https://www.googleapis.com"_qs));
        QCOMPARE(Api().apiRoot(), Api::defaultApiRoot());
        QCOMPARE(Api().timeout(), std::chrono::milliseconds(60'000));
    }

    void listingRequestShape()
    {
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(result.ok());
        QCOMPARE(m_server->requests().size(), 1);
        const FakeGoogleCalendar::Request &request = m_server->requests().first();
        QCOMPARE(request.method, "GET");
        QCOMPARE(request.path, u"/calendar/v3/calendars/primary/events"_qs);
        // 30 and 365 calendar days on New York's wall clock, across both daylight-saving changes.
        QCOMPARE(request.query, u"timeMin=2024-02-19T13:00:00Z&timeMax=2025-03-20T12:00:00Z&singleEvents=true"
                                u"&showDeleted=true&maxResults=250"_qs);
        QCOMPARE(ownHeaders(request), QList<QByteArray>{"authorization"});
        QCOMPARE(request.header("Authorization"), QByteArray("Bearer token-1"));
        QVERIFY(request.body.isEmpty());
        QCOMPARE(result.value().windowStart, newYork().addDays(kNow, -30));
        QCOMPARE(result.value().windowEnd, newYork().addDays(kNow, 365));
    }

    void writeRequestShapes()
    {
        const QString id = m_server->addEvent(FakeGoogleCalendar::timedEvent(u"Old"_qs, u"2024-05-01T07:00:00Z"_qs,
                                                                             u"2024-05-01T08:00:00Z"_qs));
        const QByteArray expectedBody = R"({"summary":"Standup","description":"Notes","location":"Room 1",)"
                                        R"("start":{"dateTime":"2024-05-01T07:30:00Z","date":null},)"
                                        R"("end":{"dateTime":"2024-05-01T08:00:00Z","date":null}})";
        QVERIFY(awaitTask(m_api->insertEvent(timedBody())).ok());
        QVERIFY(awaitTask(m_api->patchEvent(id, timedBody())).ok());
        QVERIFY(awaitTask(m_api->deleteEvent(id)).ok());

        const QList<FakeGoogleCalendar::Request> &requests = m_server->requests();
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests[0].method, "POST");
        QCOMPARE(requests[0].path, u"/calendar/v3/calendars/primary/events"_qs);
        QCOMPARE(requests[1].method, "PATCH");
        QCOMPARE(requests[1].path, u"/calendar/v3/calendars/primary/events/"_qs + id);
        QCOMPARE(requests[2].method, "DELETE");
        QCOMPARE(requests[2].path, u"/calendar/v3/calendars/primary/events/"_qs + id);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(requests[i].body, expectedBody);
            QCOMPARE(ownHeaders(requests[i]), (QList<QByteArray>{"authorization", "content-type"}));
            QCOMPARE(requests[i].header("Content-Type"), QByteArray("application/json"));
        }
        QVERIFY(requests[2].body.isEmpty());
        QCOMPARE(ownHeaders(requests[2]), QList<QByteArray>{"authorization"});
        for (const auto &request : requests)
            QVERIFY(request.query.isEmpty());
    }

    void everyRequestTakesAFreshToken()
    {
        QVERIFY(awaitTask(m_api->insertEvent(timedBody())).ok());
        m_signIn->setAccessToken(u"token-2"_qs);
        QVERIFY(awaitTask(m_api->insertEvent(timedBody())).ok());
        QCOMPARE(m_signIn->refreshCount(), 2);
        QCOMPARE(m_server->requests().at(0).header("Authorization"), QByteArray("Bearer token-1"));
        QCOMPARE(m_server->requests().at(1).header("Authorization"), QByteArray("Bearer token-2"));
    }

    void tokenFailureSendsNothing()
    {
        m_signIn->setRefreshError(GoogleSignInError{-2, u"The grant was revoked."_qs});
        const auto refused = awaitTask(m_api->insertEvent(timedBody()));
        QVERIFY(!refused.ok());
        QCOMPARE(messageOf(refused.error()), u"The grant was revoked."_qs);

        m_signIn->setRefreshError(std::nullopt);
        m_signIn->signOut();
        const auto signedOut = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(!signedOut.ok());
        QVERIFY(std::get<APIError>(signedOut.error()) == APIError::notSignedIn());
        QVERIFY(m_server->requests().isEmpty());
    }

    void insertReturnsGooglesEvent()
    {
        const auto created = awaitTask(m_api->insertEvent(timedBody()));
        QVERIFY(created.ok());
        const std::optional<QJsonObject> stored = m_server->event(created.value().id);
        QVERIFY(stored);
        QCOMPARE(created.value().updated, stored->value(u"updated").toString());
        QCOMPARE(created.value().summary, u"Standup"_qs);
        QCOMPARE(created.value().start, (Api::EventTime{u"2024-05-01T07:30:00Z"_qs, std::nullopt}));
    }

    void patchClearsTheOtherTimeForm()
    {
        const QString id = m_server->addEvent(FakeGoogleCalendar::allDayEvent(u"Trip"_qs, u"2024-05-01"_qs, u"2024-05-03"_qs));
        const auto patched = awaitTask(m_api->patchEvent(id, timedBody()));
        QVERIFY(patched.ok());
        QCOMPARE(patched.value().start, (Api::EventTime{u"2024-05-01T07:30:00Z"_qs, std::nullopt}));
        QCOMPARE(patched.value().end, (Api::EventTime{u"2024-05-01T08:00:00Z"_qs, std::nullopt}));
    }

    // Ids go into the path as one percent-encoded segment, whatever they contain.
    void eventIdsAreEncoded_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("segment");
        QTest::newRow("plain") << u"abc123_-.~"_qs << u"abc123_-.~"_qs;
        QTest::newRow("slash") << u"a/b"_qs << u"a%2Fb"_qs;
        QTest::newRow("dot segment inside") << u"../x"_qs << u"..%2Fx"_qs;
        QTest::newRow("query and fragment") << u"a?b#c"_qs << u"a%3Fb%23c"_qs;
        QTest::newRow("percent and space") << u"50% off"_qs << u"50%25%20off"_qs;
        QTest::newRow("non-ascii") << u"caf\u00e9"_qs << u"caf%C3%A9"_qs;
    }

    void eventIdsAreEncoded()
    {
        QFETCH(QString, id);
        QFETCH(QString, segment);
        const QString stored = m_server->addEvent(QJsonObject{{u"id"_qs, id}});
        QCOMPARE(stored, id);
        QVERIFY(awaitTask(m_api->deleteEvent(id)).ok());
        QCOMPARE(m_server->requests().size(), 1);
        QCOMPARE(m_server->requests().first().path, u"/calendar/v3/calendars/primary/events/"_qs + segment);
        QVERIFY(m_server->event(id)->value(u"status").toString() == u"cancelled");
    }

    void unusableIdsSendNothing_data()
    {
        QTest::addColumn<QString>("id");
        QTest::newRow("empty") << QString();
        QTest::newRow("dot") << u"."_qs;
        QTest::newRow("dot dot") << u".."_qs;
    }

    void unusableIdsSendNothing()
    {
        QFETCH(QString, id);
        const auto deleted = awaitTask(m_api->deleteEvent(id));
        const auto patched = awaitTask(m_api->patchEvent(id, timedBody()));
        for (const GoogleAPIClient::Error &error : {deleted.error(), patched.error()}) {
            QVERIFY(std::get<APIError>(error) == APIError::requestFailed(-1, u"Invalid event id"_qs));
            QCOMPARE(messageOf(error), u"Google Calendar returned an error (-1)."_qs);
        }
        QVERIFY(m_server->requests().isEmpty());
        QCOMPARE(m_signIn->refreshCount(), 0);
    }

    void pagesAreConcatenatedInOrder()
    {
        m_server->setMaxPageSize(2);
        addTimedEvents(3);
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(result.ok());
        QCOMPARE(result.value().events.size(), 3);
        QCOMPARE(result.value().events.at(2).summary, u"Event 2"_qs);
        QVERIFY(result.value().isComplete);

        const QList<FakeGoogleCalendar::Request> &requests = m_server->requests();
        QCOMPARE(requests.size(), 2);
        QVERIFY(!requests[0].query.contains(u"pageToken"));
        // The same query plus the token, encoded so that "+", "/", "=" and "&" survive.
        QCOMPARE(requests[1].query, requests[0].query + u"&pageToken=p%2B2%2F%3D%26"_qs);
        QCOMPARE(requests[1].queryValue(u"pageToken"_qs), u"p+2/=&"_qs);
    }

    void failingSecondPageFailsTheListing()
    {
        m_server->setMaxPageSize(2);
        addTimedEvents(3);
        m_server->inject(Injection::answer(503).forMethod("GET").skipping(1));
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(!result.ok());
        QCOMPARE(GoogleAPIClient::failedStatus(result.error()), 503);
        QCOMPARE(m_server->requests().size(), 2);
    }

    void listingStopsAfterTwentyPages()
    {
        m_server->setMaxPageSize(1);
        addTimedEvents(21);
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(result.ok());
        QCOMPARE(m_server->requests().size(), 20);
        QCOMPARE(result.value().events.size(), 20);
        QVERIFY(!result.value().isComplete);
    }

    void twentyPagesExactlyAreComplete()
    {
        m_server->setMaxPageSize(1);
        addTimedEvents(20);
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(result.ok());
        QCOMPARE(result.value().events.size(), 20);
        QVERIFY(result.value().isComplete);
    }

    void unusualListings_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("events");
        QTest::newRow("no items, no token") << QByteArray("{\"kind\":\"calendar#events\"}") << 0;
        QTest::newRow("null items") << QByteArray(R"({"items":null})") << 0;
        QTest::newRow("empty token ends the listing") << QByteArray(R"({"items":[{"id":"a"}],"nextPageToken":""})") << 1;
    }

    void unusualListings()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, events);
        m_server->inject(Injection::answer(200, page));
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(result.ok());
        QCOMPARE(result.value().events.size(), events);
        QVERIFY(result.value().isComplete);
        QCOMPARE(m_server->requests().size(), 1);
    }

    // Every broken answer ends in an error with the message the user sees.
    void brokenAnswers_data()
    {
        QTest::addColumn<Injection>("injection");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("status"); // of requestFailed; 0 for other errors
        QTest::addColumn<QString>("body");
        const QString denied = u"Google Calendar access was denied. Sign out, sign in again, and allow Calendar access."_qs;
        const QString undecodable = u"The data couldn’t be read because it isn’t in the correct format."_qs;
        QTest::newRow("401") << Injection::answer(401, "expired") << denied << 401 << u"expired"_qs;
        QTest::newRow("403") << Injection::answer(403, "{}") << denied << 403 << u"{}"_qs;
        QTest::newRow("500") << Injection::answer(500, "oops")
                             << u"Google Calendar returned an error (500)."_qs << 500 << u"oops"_qs;
        QTest::newRow("404 with a UTF-8 body")
                << Injection::answer(404, "gef\xc3\xbchrt")
                << u"Google Calendar returned an error (404)."_qs << 404 << u"gef\u00fchrt"_qs;
        QTest::newRow("non-UTF-8 error body")
                << Injection::answer(502, "bad \xff\xfe bytes")
                << u"Google Calendar returned an error (502)."_qs << 502 << u"Unknown error"_qs;
        QTest::newRow("success that is not JSON")
                << Injection::answer(200, "<html>") << undecodable << 0 << QString();
        QTest::newRow("item without id")
                << Injection::answer(200, R"({"items":[{"summary":"x"}]})") << undecodable << 0
                << QString();
        QTest::newRow("summary of the wrong type")
                << Injection::answer(200, R"({"items":[{"id":"a","summary":5}]})") << undecodable
                << 0 << QString();
        QTest::newRow("items not an array")
                << Injection::answer(200, R"({"items":{"id":"a"}})") << undecodable << 0
                << QString();
        QTest::newRow("deeply nested")
                << Injection::answer(200, QByteArray(200000, '[')) << undecodable << 0
                << QString();
    }

    void brokenAnswers()
    {
        QFETCH(Injection, injection);
        QFETCH(QString, message);
        QFETCH(int, status);
        QFETCH(QString, body);
        m_server->inject(injection);
        const auto result = awaitTask(m_api->fetchEvents(newYork()));
        QVERIFY(!result.ok());
        QCOMPARE(messageOf(result.error()), message);
        if (status != 0)
            QVERIFY(std::get<APIError>(result.error()) == APIError::requestFailed(status, body));
        else
            QVERIFY(std::holds_alternative<GoogleAPIClient::DecodingError>(result.error()));
    }

    void insertAnswerWithoutIdIsAnError()
    {
        m_server->inject(Injection::answer(200, R"({"summary":"x"})"));
        const auto result = awaitTask(m_api->insertEvent(timedBody()));
        QVERIFY(!result.ok());
        QVERIFY(std::holds_alternative<GoogleAPIClient::DecodingError>(result.error()));
    }

    void deleteIgnoresTheAnswerBody()
    {
        const QString id = m_server->addEvent(QJsonObject{});
        m_server->inject(Injection::answer(200, "not json"));
        QVERIFY(awaitTask(m_api->deleteEvent(id)).ok());
    }

    void goneEventsKeepTheirStatus()
    {
        const QString id = m_server->addEvent(QJsonObject{});
        m_server->cancelEvent(id);
        QCOMPARE(GoogleAPIClient::failedStatus(awaitTask(m_api->deleteEvent(id)).error()), 410);
        QCOMPARE(GoogleAPIClient::failedStatus(awaitTask(m_api->patchEvent(u"unknown"_qs, timedBody())).error()), 404);
    }

    void transportFailures()
    {
        // The network layer retries a request whose connection closed; it gives up in the end.
        m_server->inject(Injection::droppedConnection().repeated(-1));
        const auto dropped = awaitTask(m_api->fetchEvents(newYork()));
        m_server->clearInjections();
        QVERIFY(!dropped.ok());
        QVERIFY(std::holds_alternative<GoogleAPIClient::NetworkError>(dropped.error()));
        QVERIFY(!messageOf(dropped.error()).isEmpty());

        m_api->setTimeout(std::chrono::milliseconds(200));
        m_server->holdNext();
        const auto timedOut = awaitTask(m_api->insertEvent(timedBody()));
        QVERIFY(!timedOut.ok());
        QCOMPARE(std::get<GoogleAPIClient::NetworkError>(timedOut.error()).code, QNetworkReply::TimeoutError);
        QCOMPARE(messageOf(timedOut.error()), u"The request timed out."_qs);
        m_server->releaseHeld(); // to a client that gave up

        m_server->stopListening();
        const auto down = awaitTask(m_api->deleteEvent(u"abc"_qs));
        QVERIFY(!down.ok());
        const auto &networkError = std::get<GoogleAPIClient::NetworkError>(down.error());
        QCOMPARE(networkError.code, QNetworkReply::ConnectionRefusedError);
        QCOMPARE(messageOf(down.error()), networkError.description);
    }

    void heldAnswerArrivesWhenReleased()
    {
        m_server->holdNext("POST");
        auto task = m_api->insertEvent(timedBody());
        QTRY_COMPARE(m_server->heldCount(), 1);
        QCOMPARE(m_server->liveEvents().size(), 1); // the insert took effect before the answer
        m_server->releaseHeld();
        const auto created = awaitTask(std::move(task));
        QVERIFY(created.ok());
        QCOMPARE(created.value().id, m_server->liveEvents().first().value(u"id").toString());
    }
};

QTEST_GUILESS_MAIN(TestGoogleCalendarAPI)
#include "test_googlecalendarapi.moc"
