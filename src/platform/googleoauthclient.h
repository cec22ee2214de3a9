#pragma once

#include "googlesignin.h"
#include "instant.h"

#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class SecretStore;

namespace GoogleOAuthDetail {
struct TokenAnswer;
class SignInAttempt;
class RefreshCall;
}

// Where Google's OAuth endpoints are and who this application is to them.
struct GoogleOAuthConfig
{
    QString clientId;
    QString clientSecret; // an installed application's "secret" is not secret, but Google asks for it
    QUrl authorizationUrl;
    QUrl tokenUrl;
    QUrl userInfoUrl;
    QUrl revokeUrl;

    // The values this build was configured with (DAYLOOM_GOOGLE_CLIENT_ID and friends).
    static GoogleOAuthConfig buildDefaults();
};

// Google sign-in through the system browser: the OAuth 2.0 authorization-code flow for installed
// applications with a loopback redirect to 127.0.0.1 and PKCE. The refresh token and the user
// record are kept in a SecretStore; access tokens stay in memory with their expiry, read from the
// shared Clock. The secret store must outlive the client.
class GoogleOAuthClient final : public GoogleSignInClient
{
    Q_OBJECT

public:
    using BrowserOpener = std::function<bool(const QUrl &)>;

    // Without a network access manager the client makes its own.
    GoogleOAuthClient(GoogleOAuthConfig config, SecretStore &secrets, QNetworkAccessManager *network = nullptr,
                      QObject *parent = nullptr);
    ~GoogleOAuthClient() override;

    // Opens Google's consent page; QDesktopServices::openUrl unless replaced (tests play the browser).
    void setBrowserOpener(BrowserOpener opener);

    std::optional<GoogleUser> currentUser() const override { return m_user; }
    QCoro::Task<Result> refreshTokensIfNeeded() override;
    QCoro::Task<Result> signIn(QWindow *presenter, const QStringList &additionalScopes) override;
    void cancelSignIn() override;
    bool isSigningIn() const override { return m_signingIn; }
    QCoro::Task<Result> restorePreviousSignIn() override;
    void signOut() override;
    QCoro::Task<std::optional<GoogleSignInError>> disconnect() override;

    // An access token is refreshed when it has less than this left.
    static constexpr double refreshMarginSeconds = 60;

private:
    QCoro::Task<GoogleOAuthDetail::TokenAnswer> sharedRefresh();
    void install(const GoogleUser &user, const QString &refreshToken, Instant accessExpiry);
    void forget();
    void setSigningIn(bool signingIn);

    GoogleOAuthConfig m_config;
    SecretStore &m_secrets;
    QNetworkAccessManager *m_network;
    BrowserOpener m_openBrowser;

    std::optional<GoogleUser> m_user;
    QString m_refreshToken;
    Instant m_accessExpiry;
    // Counts sign-ins, restores and sign-outs, so that an answer arriving after one of them is
    // not applied to the sign-in that replaced it.
    quint64 m_generation = 0;
    std::shared_ptr<GoogleOAuthDetail::RefreshCall> m_refresh; // the refresh in flight, shared by its callers

    QPointer<GoogleOAuthDetail::SignInAttempt> m_attempt; // the sign-in waiting for the browser or its tokens
    bool m_signingIn = false;
};
