#include "fakegoogleoauth.h"

#include <QCryptographicHash>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get: return "GET";
    case QHttpServerRequest::Method::Post: return "POST";
    default: return "OTHER";
    }
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QByteArray oauthError(const QString &error, const QString &description)
{
    return json({{u"error"_qs, error}, {u"error_description"_qs, description}});
}

// Percent-encodes everything but unreserved characters, so that "+" and "/" in a code arrive
// encoded, as Google sends them.
QString encoded(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

std::optional<QByteArray> FakeGoogleOAuth::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

QString FakeGoogleOAuth::Request::queryValue(const QString &key) const
{
    return QUrlQuery(query).queryItemValue(key, QUrl::FullyDecoded);
}

// As a form parser reads it: "+" is a space, then percent-decoding.
QString FakeGoogleOAuth::Request::formValue(const QString &key) const
{
    for (const QByteArray &pair : body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray name = equals < 0 ? pair : pair.left(equals);
        if (QUrl::fromPercentEncoding(QByteArray(name).replace('+', ' ')) != key)
            continue;
        return equals < 0 ? QString() : QUrl::fromPercentEncoding(pair.mid(equals + 1).replace('+', ' '));
    }
    return {};
}

FakeGoogleOAuth::FakeGoogleOAuth(QObject *parent) : QObject(parent)
{
    m_server.setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
        handle(request, std::move(responder));
    });
    m_port = m_server.listen(QHostAddress::LocalHost);
}

FakeGoogleOAuth::~FakeGoogleOAuth() = default;

QUrl FakeGoogleOAuth::rootUrl() const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_port);
    return url;
}

GoogleOAuthConfig FakeGoogleOAuth::config() const
{
    const auto endpoint = [this](const QString &path) {
        QUrl url = rootUrl();
        url.setPath(path);
        return url;
    };
    return {clientId, clientSecret, endpoint(authorizePath), endpoint(tokenPath), endpoint(userInfoPath),
            endpoint(revokePath)};
}

void FakeGoogleOAuth::stopListening()
{
    for (QTcpServer *server : m_server.servers())
        server->close();
}

void FakeGoogleOAuth::setAuthorizationError(QString error, QString description)
{
    m_authorizationError = std::move(error);
    m_authorizationErrorDescription = std::move(description);
}

void FakeGoogleOAuth::setTokenFailure(int status, QByteArray body)
{
    m_tokenFailureStatus = status;
    m_tokenFailureBody = std::move(body);
}

QJsonObject FakeGoogleOAuth::defaultUserInfo()
{
    return {{u"sub"_qs, u"108234567890"_qs},
            {u"name"_qs, u"Ada Lovelace"_qs},
            {u"email"_qs, u"ada@example.com"_qs},
            {u"email_verified"_qs, true},
            {u"picture"_qs, u"https://lh3.googleusercontent.com/a/ACg8ocK=s96-c"_qs}};
}

void FakeGoogleOAuth::revoke(const QString &token)
{
    if (m_refreshTokens.remove(token))
        m_accessTokens.removeIf([&](const auto &entry) { return entry.value() == token; });
    m_accessTokens.remove(token);
}

QList<FakeGoogleOAuth::Request> FakeGoogleOAuth::requests(const QString &path) const
{
    QList<Request> matching;
    for (const Request &request : m_requests) {
        if (request.path == path)
            matching.append(request);
    }
    return matching;
}

void FakeGoogleOAuth::handle(const QHttpServerRequest &request, QHttpServerResponder &&responder)
{
    const Request recorded{methodName(request.method()), request.url().path(QUrl::FullyEncoded),
                           request.url().query(QUrl::FullyEncoded), request.headers(), request.body()};
    m_requests.append(recorded);
    const Answer result = answer(recorded);
    if (QTcpSocket *socket = responder.socket())
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const auto status = static_cast<QHttpServerResponder::StatusCode>(result.status);
    if (!result.location.isEmpty())
        responder.write(QByteArray(), {{"Location", result.location}, {"Content-Type", "text/plain"}}, status);
    else
        responder.write(result.body, "application/json", status);
}

FakeGoogleOAuth::Answer FakeGoogleOAuth::answer(const Request &request)
{
    if (request.path == authorizePath && request.method == "GET")
        return authorize(request);
    if (request.path == tokenPath && request.method == "POST")
        return token(request);
    if (request.path == userInfoPath && request.method == "GET")
        return userInfo(request);
    if (request.path == revokePath && request.method == "POST")
        return revokeRequest(request);
    return {404, oauthError(u"not_found"_qs, u"No such endpoint."_qs), {}};
}

// Checks what Google checks of an installed application's request, then "the user" answers at
// once: the browser goes back to the loopback address. A request that cannot be answered there
// gets a 400 page, as Google shows one.
FakeGoogleOAuth::Answer FakeGoogleOAuth::authorize(const Request &request)
{
    const QString redirectUri = request.queryValue(u"redirect_uri"_qs);
    const QString state = request.queryValue(u"state"_qs);
    if (request.queryValue(u"client_id"_qs) != clientId)
        return {400, "invalid client_id", {}};
    if (!redirectUri.startsWith(u"http://127.0.0.1:"))
        return {400, "redirect_uri must be a loopback address", {}};

    QString problem;
    if (request.queryValue(u"response_type"_qs) != u"code")
        problem = u"response_type must be code"_qs;
    else if (request.queryValue(u"code_challenge_method"_qs) != u"S256")
        problem = u"code_challenge_method must be S256"_qs;
    else if (request.queryValue(u"code_challenge"_qs).size() != 43)
        problem = u"code_challenge must be a base64url SHA-256"_qs;
    else if (state.isEmpty())
        problem = u"state is missing"_qs;

    QString location = redirectUri + u'?';
    if (!problem.isEmpty()) {
        location += u"error=invalid_request&error_description=" + encoded(problem);
    } else if (!m_authorizationError.isEmpty()) {
        location += u"error=" + encoded(m_authorizationError);
        if (!m_authorizationErrorDescription.isEmpty())
            location += u"&error_description=" + encoded(m_authorizationErrorDescription);
    } else {
        const QString code = u"4/0Fake+code/" + QString::number(++m_serial);
        m_codes.insert(code, {request.queryValue(u"code_challenge"_qs), redirectUri});
        location += u"code=" + encoded(code);
    }
    location += u"&state=" + encoded(state);
    return {302, {}, location.toUtf8()};
}

FakeGoogleOAuth::Answer FakeGoogleOAuth::token(const Request &request)
{
    if (m_tokenFailureStatus != 0)
        return {m_tokenFailureStatus, m_tokenFailureBody, {}};
    if (request.header("Content-Type") != "application/x-www-form-urlencoded")
        return {400, oauthError(u"invalid_request"_qs, u"Expected a form body."_qs), {}};
    if (request.formValue(u"client_id"_qs) != clientId || request.formValue(u"client_secret"_qs) != clientSecret)
        return {401, oauthError(u"invalid_client"_qs, u"The OAuth client was not found."_qs), {}};

    const QString grantType = request.formValue(u"grant_type"_qs);
    if (grantType == u"authorization_code") {
        const QString code = request.formValue(u"code"_qs);
        if (!m_codes.contains(code))
            return {400, oauthError(u"invalid_grant"_qs, u"Malformed auth code."_qs), {}};
        const IssuedCode issued = m_codes.take(code);
        if (request.formValue(u"redirect_uri"_qs) != issued.redirectUri)
            return {400, oauthError(u"redirect_uri_mismatch"_qs, u"Bad Request"_qs), {}};
        const QString verifier = request.formValue(u"code_verifier"_qs);
        static const QRegularExpression unreserved(QStringLiteral("^[A-Za-z0-9._~-]{43,128}$"));
        const QString challenge = QString::fromLatin1(
                QCryptographicHash::hash(verifier.toLatin1(), QCryptographicHash::Sha256)
                        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
        if (!unreserved.match(verifier).hasMatch() || challenge != issued.challenge)
            return {400, oauthError(u"invalid_grant"_qs, u"Invalid code verifier."_qs), {}};
        const QString refreshToken = u"1//0fake-refresh+" + QString::number(++m_serial);
        m_refreshTokens.insert(refreshToken);
        return issueTokens(refreshToken, true);
    }
    if (grantType == u"refresh_token") {
        const QString refreshToken = request.formValue(u"refresh_token"_qs);
        if (!m_refreshTokens.contains(refreshToken))
            return {400, oauthError(u"invalid_grant"_qs, u"Token has been expired or revoked."_qs), {}};
        return issueTokens(refreshToken, false);
    }
    return {400, oauthError(u"unsupported_grant_type"_qs, u"Invalid grant_type: "_qs + grantType), {}};
}

FakeGoogleOAuth::Answer FakeGoogleOAuth::issueTokens(const QString &refreshToken, bool includeRefreshToken)
{
    const QString accessToken = u"ya29.fake-access-" + QString::number(++m_serial);
    m_accessTokens.insert(accessToken, refreshToken);
    m_lastAccessToken = accessToken;
    QJsonObject body{{u"access_token"_qs, accessToken},
                     {u"expires_in"_qs, m_expiresIn},
                     {u"token_type"_qs, u"Bearer"_qs},
                     {u"scope"_qs, u"openid email profile"_qs}};
    if (includeRefreshToken) {
        body.insert(u"refresh_token"_qs, refreshToken);
        m_lastRefreshToken = refreshToken;
    }
    return {200, json(body), {}};
}

FakeGoogleOAuth::Answer FakeGoogleOAuth::userInfo(const Request &request)
{
    const QByteArray authorization = request.header("Authorization").value_or(QByteArray());
    const QString token = QString::fromUtf8(authorization.mid(7));
    if (!authorization.startsWith("Bearer ") || !m_accessTokens.contains(token))
        return {401, oauthError(u"invalid_token"_qs, u"Invalid Credentials"_qs), {}};
    return {200, json(m_userInfo), {}};
}

FakeGoogleOAuth::Answer FakeGoogleOAuth::revokeRequest(const Request &request)
{
    const QString token = request.formValue(u"token"_qs);
    if (!m_refreshTokens.contains(token) && !m_accessTokens.contains(token))
        return {400, oauthError(u"invalid_token"_qs, u"Token expired or revoked"_qs), {}};
    revoke(token);
    return {200, "{}", {}};
}

FakeBrowser::FakeBrowser(QObject *parent) : QObject(parent) {}

GoogleOAuthClient::BrowserOpener FakeBrowser::opener(bool load)
{
    return [this, load](const QUrl &url) {
        m_openedUrls.append(url);
        if (load)
            visit(url);
        return true;
    };
}

void FakeBrowser::visit(const QUrl &url)
{
    QNetworkReply *reply = m_network.get(QNetworkRequest(url)); // follows the redirect to the loopback address
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        m_lastPage = reply->readAll();
        m_lastError = reply->error();
        ++m_pagesLoaded;
        emit pageLoaded();
    });
}
