#pragma once

#include "googleoauthclient.h"

#include <QByteArray>
#include <QHash>
#include <QHttpServer>
#include <QJsonObject>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPair>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>

class QHttpServerRequest;
class QHttpServerResponder;

// Google's OAuth endpoints in process on 127.0.0.1: the consent page (which redirects the browser
// to the loopback address at once, with a code or with the error the test chose), the token
// endpoint (authorization codes checked against their PKCE challenge and redirect address,
// refresh tokens against revocation), userinfo for valid access tokens, and revocation. Every
// request is recorded.
class FakeGoogleOAuth : public QObject
{
    Q_OBJECT

public:
    static inline const QString clientId = QStringLiteral("dayloom-test.apps.googleusercontent.com");
    static inline const QString clientSecret = QStringLiteral("test-secret");
    static inline const QString authorizePath = QStringLiteral("/o/oauth2/v2/auth");
    static inline const QString tokenPath = QStringLiteral("/token");
    static inline const QString userInfoPath = QStringLiteral("/v1/userinfo");
    static inline const QString revokePath = QStringLiteral("/revoke");

    struct Request
    {
        QByteArray method;
        QString path;
        QString query; // percent-encoded, as sent
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;

        std::optional<QByteArray> header(const QByteArray &name) const; // names compared without case
        QString queryValue(const QString &key) const;                   // decoded
        QString formValue(const QString &key) const;                    // decoded as a form body
    };

    explicit FakeGoogleOAuth(QObject *parent = nullptr);
    ~FakeGoogleOAuth() override;

    QUrl rootUrl() const; // http://127.0.0.1:<port>
    // The endpoints of this server with the test client's identifier and secret.
    GoogleOAuthConfig config() const;
    // Closes the listening socket: later requests find nobody there.
    void stopListening();

    // The consent page sends the browser back with this error instead of a code
    // ("access_denied": the user refused); an empty error lets the user agree again.
    void setAuthorizationError(QString error, QString description = QString());
    // The token endpoint answers every request this way until cleared with status 0.
    void setTokenFailure(int status, QByteArray body);
    void setExpiresIn(int seconds) { m_expiresIn = seconds; }
    // What userinfo answers for a valid token; without "sub" it names no account.
    void setUserInfo(QJsonObject info) { m_userInfo = std::move(info); }
    static QJsonObject defaultUserInfo();

    // Revoked as if the user removed the application's access in the Google account.
    void revoke(const QString &token);

    QString lastAccessToken() const { return m_lastAccessToken; }
    QString lastRefreshToken() const { return m_lastRefreshToken; }
    const QList<Request> &requests() const { return m_requests; }
    QList<Request> requests(const QString &path) const;
    int requestCount(const QString &path) const { return int(requests(path).size()); }

private:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QByteArray location; // a redirect's target
    };
    struct IssuedCode
    {
        QString challenge;
        QString redirectUri;
    };

    void handle(const QHttpServerRequest &request, QHttpServerResponder &&responder);
    Answer answer(const Request &request);
    Answer authorize(const Request &request);
    Answer token(const Request &request);
    Answer userInfo(const Request &request);
    Answer revokeRequest(const Request &request);
    Answer issueTokens(const QString &refreshToken, bool includeRefreshToken);

    QHttpServer m_server;
    quint16 m_port = 0;
    QList<Request> m_requests;
    QString m_authorizationError;
    QString m_authorizationErrorDescription;
    int m_tokenFailureStatus = 0;
    QByteArray m_tokenFailureBody;
    int m_expiresIn = 3599;
    QJsonObject m_userInfo = defaultUserInfo();
    QHash<QString, IssuedCode> m_codes;          // unused authorization codes
    QHash<QString, QString> m_accessTokens;      // access token -> the refresh token it came from
    QSet<QString> m_refreshTokens;               // valid refresh tokens
    QString m_lastAccessToken;
    QString m_lastRefreshToken;
    int m_serial = 0;
};

// The user's browser: opens an address and follows its redirects, as the system browser does
// with Google's consent page and the loopback address behind it.
class FakeBrowser : public QObject
{
    Q_OBJECT

public:
    explicit FakeBrowser(QObject *parent = nullptr);

    // For GoogleOAuthClient::setBrowserOpener: records the address and, unless only recording,
    // loads it.
    GoogleOAuthClient::BrowserOpener opener(bool load = true);
    void visit(const QUrl &url);

    QList<QUrl> openedUrls() const { return m_openedUrls; }
    QUrl lastOpenedUrl() const { return m_openedUrls.isEmpty() ? QUrl() : m_openedUrls.last(); }
    int pagesLoaded() const { return m_pagesLoaded; }
    QByteArray lastPage() const { return m_lastPage; }
    QNetworkReply::NetworkError lastError() const { return m_lastError; }

signals:
    void pageLoaded();

private:
    QNetworkAccessManager m_network;
    QList<QUrl> m_openedUrls;
    int m_pagesLoaded = 0;
    QByteArray m_lastPage;
    QNetworkReply::NetworkError m_lastError = QNetworkReply::NoError;
};
