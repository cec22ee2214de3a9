#include "googleoauthclient.h"

#include "clock.h"
#include "secretstore.h"

#include <QCryptographicHash>
#include <QDesktopServices>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QOAuth2AuthorizationCodeFlow>
#include <QOAuthHttpServerReplyHandler>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTimer>
#include <QUrlQuery>
#include <QWindow>

#include <QCoro/QCoroNetworkReply>
#include <QCoro/QCoroSignal>

// The build's configuration; see src/platform/CMakeLists.txt.
#ifndef DAYLOOM_GOOGLE_CLIENT_ID
#define DAYLOOM_GOOGLE_CLIENT_ID ""
#endif
#ifndef DAYLOOM_GOOGLE_CLIENT_SECRET
#define DAYLOOM_GOOGLE_CLIENT_SECRET ""
#endif
#ifndef DAYLOOM_GOOGLE_AUTHORIZATION_URL
#define DAYLOOM_GOOGLE_AUTHORIZATION_URL "https://accounts.google.com/o/oauth2/v2/auth"
#endif
#ifndef DAYLOOM_GOOGLE_TOKEN_URL
#define DAYLOOM_GOOGLE_TOKEN_URL "https://oauth2.googleapis.com/token"
#endif
#ifndef DAYLOOM_GOOGLE_USERINFO_URL
#define DAYLOOM_GOOGLE_USERINFO_URL "https://openidconnect.googleapis.com/v1/userinfo"
#endif
#ifndef DAYLOOM_GOOGLE_REVOKE_URL
#define DAYLOOM_GOOGLE_REVOKE_URL "https://oauth2.googleapis.com/revoke"
#endif

GoogleOAuthConfig GoogleOAuthConfig::buildDefaults()
{
    return {QStringLiteral(DAYLOOM_GOOGLE_CLIENT_ID),
            QStringLiteral(DAYLOOM_GOOGLE_CLIENT_SECRET),
            QUrl(QStringLiteral(DAYLOOM_GOOGLE_AUTHORIZATION_URL)),
            QUrl(QStringLiteral(DAYLOOM_GOOGLE_TOKEN_URL)),
            QUrl(QStringLiteral(DAYLOOM_GOOGLE_USERINFO_URL)),
            QUrl(QStringLiteral(DAYLOOM_GOOGLE_REVOKE_URL))};
}

namespace {

constexpr int kTransferTimeoutMs = 60'000;
constexpr double kDefaultExpiresInSeconds = 3600;

const QString kRevokedMessage =
        QStringLiteral("Your Google sign-in has expired or was revoked. Sign in with Google again to sync.");

GoogleSignInError cancelledError()
{
    return {GoogleSignInError::cancelledCode, QStringLiteral("The Google sign-in was cancelled.")};
}

GoogleSignInError noUserError()
{
    return {GoogleSignInError::nothingToRestoreCode, QStringLiteral("No user is signed in.")};
}

GoogleSignInError failure(const QString &message)
{
    return {GoogleSignInError::unknownCode, message};
}

// Characters from a cryptographic source, all of them unreserved in URLs (RFC 3986), as PKCE
// asks of a code verifier.
QString randomUnreservedString(int length)
{
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~";
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(alphabet[QRandomGenerator::system()->bounded(quint32(sizeof(alphabet) - 1))]);
    return text;
}

QString pkceChallenge(const QString &verifier)
{
    return QString::fromLatin1(QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
                                       .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

using FormFields = QList<std::pair<QString, QString>>;

// application/x-www-form-urlencoded, with everything but unreserved characters escaped (a bare
// "+" would read as a space). Empty fields (a build without client secret) are left out.
QByteArray formBody(const FormFields &fields)
{
    QByteArray body;
    for (const auto &[key, value] : fields) {
        if (value.isEmpty())
            continue;
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

// An HTTP exchange as far as it got: the status and body, or (status 0) why no answer came.
struct HttpAnswer
{
    int status = 0;
    QByteArray body;
    QString transportError;

    bool isSuccess() const { return status >= 200 && status < 300; }
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QString oauthError() const { return json().value(u"error").toString(); }

    // "invalid_client (The OAuth client was not found.)", "HTTP 500", or the transport error.
    QString describe() const
    {
        if (status == 0)
            return transportError;
        const QJsonObject object = json();
        const QString error = object.value(u"error").toString();
        if (error.isEmpty())
            return QStringLiteral("HTTP %1").arg(status);
        const QString description = object.value(u"error_description").toString();
        return description.isEmpty() ? error : error + u" (" + description + u')';
    }
};

// Credentials never follow a redirect, and no request waits longer than a minute.
QCoro::Task<HttpAnswer> send(QNetworkAccessManager *network, QNetworkRequest request, std::optional<QByteArray> form)
{
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QPointer<QNetworkReply> reply;
    if (form) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        reply = network->post(request, *form);
    } else {
        reply = network->get(request);
    }
    const auto cleanup = qScopeGuard([reply] {
        if (reply)
            reply->deleteLater();
    });
    co_await reply.get();
    if (!reply)
        co_return HttpAnswer{0, {}, QStringLiteral("The request was cancelled.")};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid())
        co_return HttpAnswer{0, {}, reply->errorString()};
    co_return HttpAnswer{status.toInt(), reply->readAll(), {}};
}

QCoro::Task<HttpAnswer> postForm(QNetworkAccessManager *network, QUrl url, FormFields fields)
{
    return send(network, QNetworkRequest(url), formBody(fields));
}

// The user record kept with the refresh token, so that an offline start still knows who it is.
struct StoredSignIn
{
    QString refreshToken;
    GoogleUser user; // without access token
};

QByteArray encodeStoredSignIn(const QString &refreshToken, const GoogleUser &user)
{
    QJsonObject object{{u"refreshToken"_qs, refreshToken}, {u"userId"_qs, user.userId}};
    if (const auto &profile = user.profile) {
        object.insert(u"profile"_qs, QJsonObject{{u"name"_qs, profile->name},
                                                 {u"email"_qs, profile->email},
                                                 {u"picture"_qs, profile->pictureUrl.toString(QUrl::FullyEncoded)}});
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Google's picture address, when it is one a browser may load.
QUrl pictureUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != u"https" && url.scheme() != u"http"))
        return {};
    return url;
}

std::optional<StoredSignIn> decodeStoredSignIn(const QByteArray &bytes)
{
    const QJsonObject object = QJsonDocument::fromJson(bytes).object();
    StoredSignIn stored;
    stored.refreshToken = object.value(u"refreshToken").toString();
    stored.user.userId = object.value(u"userId").toString();
    if (stored.refreshToken.isEmpty() || stored.user.userId.isEmpty())
        return std::nullopt;
    if (object.value(u"profile").isObject()) {
        const QJsonObject profile = object.value(u"profile").toObject();
        stored.user.profile = GoogleProfile{profile.value(u"name").toString(), profile.value(u"email").toString(),
                                            pictureUrl(profile.value(u"picture").toString())};
    }
    return stored;
}

// Google's OpenID Connect user information: "sub" is the account id; name, e-mail and picture
// form the profile, which is missing when Google tells none of them.
QCoro::Task<std::variant<GoogleUser, GoogleSignInError>> fetchUser(QNetworkAccessManager *network, QUrl url,
                                                                   QString accessToken)
{
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", "Bearer " + accessToken.toUtf8());
    const HttpAnswer answer = co_await send(network, request, std::nullopt);
    if (!answer.isSuccess())
        co_return failure(QStringLiteral("Google’s account details couldn’t be loaded: ") + answer.describe());
    const QJsonObject object = answer.json();
    GoogleUser user;
    user.userId = object.value(u"sub").toString();
    if (user.userId.isEmpty())
        co_return failure(QStringLiteral("Google’s account details name no account."));
    user.accessToken = accessToken;
    const QString name = object.value(u"name").toString();
    const QString email = object.value(u"email").toString();
    const QUrl picture = pictureUrl(object.value(u"picture").toString());
    if (!name.isEmpty() || !email.isEmpty() || !picture.isEmpty())
        user.profile = GoogleProfile{name, email, picture};
    co_return user;
}

} // namespace

namespace GoogleOAuthDetail {

// What the token endpoint answered.
struct TokenAnswer
{
    enum class Kind {
        Tokens,
        Rejected,    // invalid_grant: the code or refresh token is no longer valid
        Unreachable, // no answer, or Google's own trouble (5xx): worth trying again later
        Failed,
    };
    Kind kind = Kind::Failed;
    QString accessToken;
    QString refreshToken;
    double expiresIn = 0;
    QString message; // for everything but Tokens
};

QCoro::Task<TokenAnswer> requestTokens(QNetworkAccessManager *network, QUrl url,
                                       FormFields fields)
{
    const HttpAnswer answer = co_await postForm(network, url, fields);
    TokenAnswer result;
    result.message = QStringLiteral("The token request failed: ") + answer.describe();
    if (answer.isSuccess()) {
        const QJsonObject json = answer.json();
        result.accessToken = json.value(u"access_token").toString();
        result.refreshToken = json.value(u"refresh_token").toString();
        result.expiresIn = json.value(u"expires_in").toDouble(kDefaultExpiresInSeconds);
        if (result.accessToken.isEmpty())
            result.message = QStringLiteral("The token request failed: Google’s answer holds no access token.");
        else
            result.kind = TokenAnswer::Kind::Tokens;
    } else if (answer.oauthError() == u"invalid_grant") {
        result.kind = TokenAnswer::Kind::Rejected;
    } else if (answer.status == 0 || answer.status >= 500) {
        result.kind = TokenAnswer::Kind::Unreachable;
    }
    co_return result;
}

// One refresh in flight; its callers wait for `done` and read the same answer.
class RefreshCall final : public QObject
{
    Q_OBJECT

public:
    std::optional<TokenAnswer> answer;

signals:
    void done();
};

// The flow of QtNetworkAuth, used only to build the authorization address: its own token
// exchange (grant()) would swallow the token endpoint's errors.
class AuthorizationFlow final : public QOAuth2AuthorizationCodeFlow
{
public:
    using QOAuth2AuthorizationCodeFlow::QOAuth2AuthorizationCodeFlow;
    using QOAuth2AuthorizationCodeFlow::buildAuthenticateUrl;
};

// One visit to Google's consent page: the loopback listener that receives the browser, the
// PKCE verifier, and the answer once the browser came back or the attempt was cancelled.
class SignInAttempt final : public QObject
{
    Q_OBJECT

public:
    struct Outcome
    {
        QString code;
        std::optional<GoogleSignInError> error;
    };

    SignInAttempt(const GoogleOAuthConfig &config, const QString &scope, QNetworkAccessManager *network)
        : m_handler(new QOAuthHttpServerReplyHandler(QHostAddress::LocalHost, 0, this)),
          m_flow(new AuthorizationFlow(network, this)),
          m_codeVerifier(randomUnreservedString(64))
    {
        m_handler->setCallbackText(QStringLiteral("Dayloom: you can close this tab and return to the app."));
        m_flow->setReplyHandler(m_handler);
        m_flow->setAuthorizationUrl(config.authorizationUrl);
        m_flow->setClientIdentifier(config.clientId);
        m_flow->setScope(scope);
        m_flow->setState(randomUnreservedString(32));
        const QString challenge = pkceChallenge(m_codeVerifier);
        m_flow->setModifyParametersFunction([challenge](QAbstractOAuth::Stage stage,
                                                        QMultiMap<QString, QVariant> *parameters) {
            if (stage != QAbstractOAuth::Stage::RequestingAuthorization)
                return;
            parameters->replace(QStringLiteral("code_challenge"), challenge);
            parameters->replace(QStringLiteral("code_challenge_method"), QStringLiteral("S256"));
            // A refresh token, on every consent (Google sends one only with a fresh consent).
            parameters->replace(QStringLiteral("access_type"), QStringLiteral("offline"));
            parameters->replace(QStringLiteral("prompt"), QStringLiteral("consent"));
        });
        connect(m_flow, &QAbstractOAuth2::authorizationCallbackReceived, this, &SignInAttempt::handleCallback);
    }

    bool isListening() const { return m_handler->isListening(); }

    QUrl buildAuthorizationUrl()
    {
        const QUrl url = m_flow->buildAuthenticateUrl();
        // The token request must repeat the redirect address exactly as the browser got it.
        m_redirectUri = QUrlQuery(url).queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded);
        return url;
    }
    QString redirectUri() const { return m_redirectUri; }
    QString codeVerifier() const { return m_codeVerifier; }

    const std::optional<Outcome> &outcome() const { return m_outcome; }
    bool isCancelled() const { return m_cancelled; }

    void cancel()
    {
        m_cancelled = true;
        finish({{}, cancelledError()});
    }

    // Answers on the next turn of the event loop: the browser's request arrives inside the
    // listener's own socket handling, which must end before the listener closes.
    void finish(Outcome outcome)
    {
        if (m_outcome)
            return;
        m_outcome = std::move(outcome);
        QTimer::singleShot(0, this, [this] {
            m_handler->close();
            emit settled();
        });
    }

signals:
    void settled();

private:
    // Values arrive as they stood in the address (Qt 6.4 does not decode them). A callback
    // without this attempt's state is not Google's answer to it and changes nothing.
    void handleCallback(const QVariantMap &data)
    {
        const auto value = [&data](const QString &key) {
            return QUrl::fromPercentEncoding(data.value(key).toString().toUtf8());
        };
        if (m_outcome || value(QStringLiteral("state")) != m_flow->state())
            return;
        const QString error = value(QStringLiteral("error"));
        if (error == u"access_denied") {
            finish({{}, cancelledError()});
        } else if (!error.isEmpty()) {
            const QString description = value(QStringLiteral("error_description"));
            finish({{}, failure(QStringLiteral("Google refused the sign-in: ") + error
                                + (description.isEmpty() ? QString() : u" (" + description + u')'))});
        } else if (const QString code = value(QStringLiteral("code")); !code.isEmpty()) {
            finish({code, std::nullopt});
        }
    }

    QOAuthHttpServerReplyHandler *m_handler;
    AuthorizationFlow *m_flow;
    QString m_codeVerifier;
    QString m_redirectUri;
    std::optional<Outcome> m_outcome;
    bool m_cancelled = false;
};

} // namespace GoogleOAuthDetail

using namespace GoogleOAuthDetail;

namespace {

Instant now()
{
    return Clock::shared().now();
}

// The forms and lists below are built outside the coroutines: GCC 12 miscompiles braced lists
// inside them.

FormFields refreshForm(const GoogleOAuthConfig &config, const QString &refreshToken)
{
    return {{QStringLiteral("grant_type"), QStringLiteral("refresh_token")},
            {QStringLiteral("refresh_token"), refreshToken},
            {QStringLiteral("client_id"), config.clientId},
            {QStringLiteral("client_secret"), config.clientSecret}};
}

FormFields codeExchangeForm(const GoogleOAuthConfig &config, const QString &code, const QString &redirectUri,
                            const QString &codeVerifier)
{
    return {{QStringLiteral("grant_type"), QStringLiteral("authorization_code")},
            {QStringLiteral("code"), code},
            {QStringLiteral("redirect_uri"), redirectUri},
            {QStringLiteral("client_id"), config.clientId},
            {QStringLiteral("client_secret"), config.clientSecret},
            {QStringLiteral("code_verifier"), codeVerifier}};
}

FormFields revokeForm(const QString &token)
{
    return {{QStringLiteral("token"), token}};
}

// The basic profile scopes first, then the caller's, each once.
QString scopeText(const QStringList &additionalScopes)
{
    QStringList scopes{QStringLiteral("openid"), QStringLiteral("email"), QStringLiteral("profile")};
    for (const QString &scope : additionalScopes) {
        if (!scope.isEmpty() && !scopes.contains(scope))
            scopes.append(scope);
    }
    return scopes.join(u' ');
}

struct DeleteLater
{
    void operator()(QObject *object) const { object->deleteLater(); }
};

} // namespace

GoogleOAuthClient::GoogleOAuthClient(GoogleOAuthConfig config, SecretStore &secrets, QNetworkAccessManager *network,
                                     QObject *parent)
    : GoogleSignInClient(parent),
      m_config(std::move(config)),
      m_secrets(secrets),
      m_network(network ? network : new QNetworkAccessManager(this)),
      m_openBrowser([](const QUrl &url) { return QDesktopServices::openUrl(url); })
{
}

GoogleOAuthClient::~GoogleOAuthClient()
{
    // A waiting sign-in answers with the cancel code.
    if (m_attempt)
        m_attempt->cancel();
}

void GoogleOAuthClient::setBrowserOpener(BrowserOpener opener)
{
    m_openBrowser = std::move(opener);
}

QCoro::Task<GoogleSignInClient::Result> GoogleOAuthClient::signIn(QWindow *presenterWindow,
                                                                   const QStringList &additionalScopes)
{
    if (m_config.clientId.isEmpty()) {
        co_return failure(QStringLiteral("This build of Dayloom has no Google OAuth client ID. Set "
                                         "DAYLOOM_GOOGLE_CLIENT_ID when configuring the build."));
    }
    // Copies of the arguments: they may be gone after the first wait.
    const QPointer<QWindow> presenter(presenterWindow);
    const QString scope = scopeText(additionalScopes);
    cancelSignIn();

    const std::unique_ptr<SignInAttempt, DeleteLater> attempt(new SignInAttempt(m_config, scope, m_network));
    if (!attempt->isListening())
        co_return failure(QStringLiteral("Dayloom couldn’t start listening for Google’s answer on this computer."));
    const QUrl authorizationUrl = attempt->buildAuthorizationUrl();

    const QPointer<GoogleOAuthClient> self(this);
    m_attempt = attempt.get();
    setSigningIn(true);
    const auto done = qScopeGuard([self, current = attempt.get()] {
        if (self && self->m_attempt == current) {
            self->m_attempt = nullptr;
            self->setSigningIn(false);
        }
    });

    if (!m_openBrowser(authorizationUrl))
        co_return failure(QStringLiteral("Dayloom couldn’t open the web browser for the Google sign-in."));
    if (!attempt->outcome())
        co_await qCoro(attempt.get(), &SignInAttempt::settled);
    if (!self)
        co_return cancelledError();
    const SignInAttempt::Outcome outcome = *attempt->outcome();
    if (outcome.error)
        co_return *outcome.error;

    const FormFields exchange =
            codeExchangeForm(m_config, outcome.code, attempt->redirectUri(), attempt->codeVerifier());
    const TokenAnswer tokens = co_await requestTokens(m_network, m_config.tokenUrl, exchange);
    if (!self || attempt->isCancelled())
        co_return cancelledError();
    if (tokens.kind != TokenAnswer::Kind::Tokens)
        co_return failure(tokens.message);
    const Instant expiry = now().addingSeconds(tokens.expiresIn);

    const std::variant<GoogleUser, GoogleSignInError> fetched =
            co_await fetchUser(m_network, m_config.userInfoUrl, tokens.accessToken);
    if (!self || attempt->isCancelled())
        co_return cancelledError();
    if (const auto *error = std::get_if<GoogleSignInError>(&fetched))
        co_return *error;
    const GoogleUser user = std::get<GoogleUser>(fetched);

    const std::optional<QString> storeError =
            co_await m_secrets.write(encodeStoredSignIn(tokens.refreshToken, user));
    if (!self)
        co_return cancelledError();
    if (attempt->isCancelled()) {
        // Signed out or cancelled while the secret was written: it must not outlive the attempt.
        co_await m_secrets.remove();
        co_return cancelledError();
    }
    if (storeError) {
        co_return GoogleSignInError{GoogleSignInError::keychainCode,
                                    QStringLiteral("The Google sign-in couldn’t be saved: ") + *storeError};
    }
    install(user, tokens.refreshToken, expiry);
    if (presenter)
        presenter->requestActivate();
    co_return user;
}

void GoogleOAuthClient::cancelSignIn()
{
    if (!m_attempt)
        return;
    m_attempt->cancel();
    m_attempt = nullptr;
    setSigningIn(false);
}

QCoro::Task<GoogleSignInClient::Result> GoogleOAuthClient::restorePreviousSignIn()
{
    const QPointer<GoogleOAuthClient> self(this);
    const SecretStore::ReadResult read = co_await m_secrets.read();
    if (!self)
        co_return cancelledError();
    if (read.error) {
        co_return GoogleSignInError{GoogleSignInError::keychainCode,
                                    QStringLiteral("The saved Google sign-in couldn’t be read: ") + *read.error};
    }
    const std::optional<StoredSignIn> stored = read.value ? decodeStoredSignIn(*read.value) : std::nullopt;
    if (!stored)
        co_return GoogleSignInError{GoogleSignInError::nothingToRestoreCode,
                                    QStringLiteral("There is no saved Google sign-in.")};

    const quint64 generation = ++m_generation;
    const FormFields refresh = refreshForm(m_config, stored->refreshToken);
    const TokenAnswer tokens = co_await requestTokens(m_network, m_config.tokenUrl, refresh);
    if (!self || m_generation != generation)
        co_return cancelledError();

    switch (tokens.kind) {
    case TokenAnswer::Kind::Rejected:
        co_await m_secrets.remove();
        co_return failure(kRevokedMessage);
    case TokenAnswer::Kind::Failed:
        co_return failure(tokens.message);
    case TokenAnswer::Kind::Unreachable:
        // Offline: the user stays signed in with the stored record; the next token request
        // tries again.
        install(stored->user, stored->refreshToken, Instant());
        co_return stored->user;
    case TokenAnswer::Kind::Tokens:
        break;
    }

    const Instant expiry = now().addingSeconds(tokens.expiresIn);
    const std::variant<GoogleUser, GoogleSignInError> fetched =
            co_await fetchUser(m_network, m_config.userInfoUrl, tokens.accessToken);
    if (!self || m_generation != generation)
        co_return cancelledError();
    GoogleUser user = stored->user;
    user.accessToken = tokens.accessToken;
    // A profile changed at Google replaces the stored one; without an answer the stored one stays.
    const GoogleUser *current = std::get_if<GoogleUser>(&fetched);
    const bool profileChanged = current && current->userId == user.userId && current->profile != user.profile;
    if (profileChanged) {
        user.profile = current->profile;
        const QByteArray record = encodeStoredSignIn(stored->refreshToken, user);
        co_await m_secrets.write(record);
        if (!self || m_generation != generation)
            co_return cancelledError();
    }
    install(user, stored->refreshToken, expiry);
    co_return user;
}

QCoro::Task<GoogleSignInClient::Result> GoogleOAuthClient::refreshTokensIfNeeded()
{
    if (!m_user)
        co_return noUserError();
    if (!m_user->accessToken.isEmpty() && now().addingSeconds(refreshMarginSeconds) < m_accessExpiry) {
        const GoogleUser user = *m_user;
        co_return user;
    }
    const QPointer<GoogleOAuthClient> self(this);
    const TokenAnswer answer = co_await sharedRefresh();
    if (!self)
        co_return noUserError();
    switch (answer.kind) {
    case TokenAnswer::Kind::Tokens:
        break;
    case TokenAnswer::Kind::Rejected:
        co_return failure(kRevokedMessage);
    case TokenAnswer::Kind::Unreachable:
    case TokenAnswer::Kind::Failed:
        co_return failure(answer.message);
    }
    // Signed out (or in again) meanwhile: answer for whoever is signed in now.
    if (!m_user || m_user->accessToken.isEmpty())
        co_return noUserError();
    const GoogleUser user = *m_user;
    co_return user;
}

// The refresh that every waiting caller shares. Its answer applies to the sign-in it started for;
// Google's refusal of the refresh token ends that sign-in.
QCoro::Task<TokenAnswer> GoogleOAuthClient::sharedRefresh()
{
    if (m_refresh) {
        const std::shared_ptr<RefreshCall> call = m_refresh;
        if (!call->answer)
            co_await qCoro(call.get(), &RefreshCall::done);
        const TokenAnswer answer = *call->answer;
        co_return answer;
    }
    const auto call = std::make_shared<RefreshCall>();
    m_refresh = call;
    const QPointer<GoogleOAuthClient> self(this);
    const quint64 generation = m_generation;
    const FormFields refresh = refreshForm(m_config, m_refreshToken);
    const TokenAnswer answer = co_await requestTokens(m_network, m_config.tokenUrl, refresh);
    if (self && m_generation == generation) {
        m_refresh.reset();
        if (answer.kind == TokenAnswer::Kind::Tokens && m_user) {
            m_user->accessToken = answer.accessToken;
            m_accessExpiry = now().addingSeconds(answer.expiresIn);
        } else if (answer.kind == TokenAnswer::Kind::Rejected) {
            forget();
        }
    }
    call->answer = answer;
    emit call->done();
    co_return answer;
}

void GoogleOAuthClient::signOut()
{
    cancelSignIn();
    forget();
}

QCoro::Task<std::optional<GoogleSignInError>> GoogleOAuthClient::disconnect()
{
    // Revoking the refresh token revokes its access tokens too.
    QString token = m_refreshToken;
    if (token.isEmpty() && m_user)
        token = m_user->accessToken;
    if (token.isEmpty())
        co_return noUserError();
    const FormFields revocation = revokeForm(token);
    const HttpAnswer answer = co_await postForm(m_network, m_config.revokeUrl, revocation);
    if (answer.isSuccess())
        co_return std::nullopt;
    co_return failure(QStringLiteral("Google couldn’t revoke Dayloom’s access: ") + answer.describe());
}

void GoogleOAuthClient::install(const GoogleUser &user, const QString &refreshToken, Instant accessExpiry)
{
    ++m_generation;
    m_refresh.reset();
    m_user = user;
    m_refreshToken = refreshToken;
    m_accessExpiry = accessExpiry;
    emit currentUserChanged();
}

// No current user, no tokens, and nothing left in the secret store.
void GoogleOAuthClient::forget()
{
    ++m_generation;
    m_refresh.reset();
    m_refreshToken.clear();
    m_accessExpiry = Instant();
    // Started now and finished on its own; the store outlives the client.
    [](SecretStore &secrets) -> QCoro::Task<> { co_await secrets.remove(); }(m_secrets);
    if (std::exchange(m_user, std::nullopt))
        emit currentUserChanged();
}

void GoogleOAuthClient::setSigningIn(bool signingIn)
{
    if (m_signingIn == signingIn)
        return;
    m_signingIn = signingIn;
    emit signingInChanged();
}

#include "googleoauthclient.moc"
