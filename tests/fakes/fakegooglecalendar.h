#pragma once

#include <QByteArray>
#include <QHash>
#include <QHttpServer>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class QHttpServerRequest;
class QHttpServerResponder;

// An in-process Google Calendar on 127.0.0.1: list (with paging, "showDeleted", "timeMin" and
// "timeMax"), insert, patch and delete on the primary calendar, deleted events kept as cancelled
// entries, injected failures and held replies, and a record of every request.
class FakeGoogleCalendar : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QString path;  // percent-encoded, as sent
        QString query; // percent-encoded, as sent
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        // The value of a header (names compared without case), or nothing.
        std::optional<QByteArray> header(const QByteArray &name) const;
        QList<QByteArray> headerNames() const; // lower-cased, in the order received
        QString queryValue(const QString &key) const; // decoded
    };

    // An answer that replaces the normal handling of matching requests (their effect included),
    // e.g. Injection::answer(503).forMethod("GET").skipping(1).
    struct Injection
    {
        static Injection answer(int status, QByteArray body = R"({"error":{"code":500,"message":"Injected failure"}})")
        {
            Injection injection;
            injection.status = status;
            injection.body = std::move(body);
            return injection;
        }
        // The connection closes without an answer.
        static Injection droppedConnection()
        {
            Injection injection;
            injection.dropConnection = true;
            return injection;
        }
        Injection &forMethod(QByteArray name) { method = std::move(name); return *this; }
        Injection &skipping(int requests) { skip = requests; return *this; }
        Injection &repeated(int count) { times = count; return *this; } // -1: every matching request

        QByteArray method;  // empty: any method
        int skip = 0;       // matching requests handled normally first
        int times = 1;      // matching requests answered this way
        int status = 500;
        QByteArray body;
        bool dropConnection = false;
    };

    explicit FakeGoogleCalendar(QObject *parent = nullptr);
    ~FakeGoogleCalendar() override;

    // http://127.0.0.1:<port>
    QUrl rootUrl() const;
    // Closes the listening socket: later requests find nobody there.
    void stopListening();

    // Events, in the order they were created. Each is Google's JSON form.
    QString addEvent(QJsonObject event); // gives it an id, "status" and "updated" when missing
    static QJsonObject timedEvent(const QString &summary, const QString &startDateTime, const QString &endDateTime);
    static QJsonObject allDayEvent(const QString &summary, const QString &startDate, const QString &endDate);
    std::optional<QJsonObject> event(const QString &id) const;
    const QList<QJsonObject> &events() const { return m_events; }
    QList<QJsonObject> liveEvents() const; // without the cancelled ones
    // A change made at Google: the members are replaced (null removes) and "updated" moves on.
    void changeEvent(const QString &id, const QJsonObject &changes);
    // Deleted at Google: listed as cancelled from now on.
    void cancelEvent(const QString &id);
    // Gone without a trace (no cancelled entry).
    void forgetEvent(const QString &id);

    // Largest page, whatever "maxResults" asks for.
    void setMaxPageSize(int size) { m_maxPageSize = size; }

    void inject(const Injection &injection) { m_injections.append(injection); }
    void clearInjections() { m_injections.clear(); }
    // The next matching request is handled normally but its answer waits for releaseHeld().
    void holdNext(const QByteArray &method = QByteArray()) { m_holds.append(method); }
    int heldCount() const { return int(m_held.size()); }
    void releaseHeld();

    const QList<Request> &requests() const { return m_requests; }
    int requestCount(const QByteArray &method) const;
    void clearRequests() { m_requests.clear(); }

signals:
    void requestReceived();
    void requestHeld();

private:
    struct Answer
    {
        int status = 200;
        QByteArray body;
    };
    struct HeldAnswer
    {
        std::unique_ptr<QHttpServerResponder> responder;
        Answer answer;
    };

    void handle(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    std::optional<Injection> takeInjection(const QByteArray &method);
    bool takeHold(const QByteArray &method);
    Answer answer(const Request &request);
    Answer list(const Request &request);
    Answer insert(const Request &request);
    Answer patch(const QString &id, const Request &request);
    Answer remove(const QString &id);
    qsizetype indexOf(const QString &id) const;
    QString nextUpdated();
    QString pageToken(int offset);
    static void send(QHttpServerResponder &responder, const Answer &answer);

    QHttpServer m_server;
    quint16 m_port = 0;
    QList<QJsonObject> m_events;
    QList<Request> m_requests;
    QList<Injection> m_injections;
    QList<QByteArray> m_holds;
    std::vector<HeldAnswer> m_held;
    QHash<QString, int> m_pageTokens; // token -> offset of the page it names
    int m_maxPageSize = 2500;
    int m_nextId = 1;
    int m_updates = 0;
};
