#include "clock.h"
#include "fakegoogleoauth.h"
#include "googleoauthclient.h"
#include "memorysecretstore.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <QWindow>

#include <QCoro/QCoroTask>

namespace {

using Result = GoogleSignInClient::Result;

const QString kCalendarScope = QStringLiteral("https://www.googleapis.com/auth/calendar.events");
const Instant kStart = Instant::fromSeconds(750'000'000);

// A task started now whose answer the test collects later, or checks is still outstanding.
template <typename T>
class Running
{
public:
    explicit Running(QCoro::Task<T> &&task) : m_state(std::make_shared<State>())
    {
        m_continuation = task.then([state = m_state](T value) {
            state->value.emplace(std::move(value));
            if (state->loop)
                state->loop->quit();
        });
    }

    bool isFinished() const { return m_state->value.has_value(); }
    // The answer, waiting for it up to five seconds; nothing when it did not come.
    std::optional<T> result()
    {
        if (!isFinished()) {
            QEventLoop loop;
            QTimer::singleShot(5000, &loop, &QEventLoop::quit);
            m_state->loop = &loop;
            loop.exec();
            m_state->loop = nullptr;
        }
        return m_state->value;
    }

private:
    struct State
    {
        std::optional<T> value;
        QEventLoop *loop = nullptr;
    };
    std::shared_ptr<State> m_state;
    QCoro::Task<> m_continuation;
};

template <typename T>
std::optional<T> await(QCoro::Task<T> &&task)
{
    return Running<T>(std::move(task)).result();
}

QString describe(const std::optional<Result> &result)
{
    if (!result)
        return QStringLiteral("no answer");
    if (const auto *error = std::get_if<GoogleSignInError>(&*result))
        return QStringLiteral("error %1: %2").arg(error->code).arg(error->message);
    return QStringLiteral("user ") + std::get<GoogleUser>(*result).userId;
}

std::optional<GoogleUser> userOf(const std::optional<Result> &result)
{
    if (const GoogleUser *user = result ? std::get_if<GoogleUser>(&*result) : nullptr)
        return *user;
    return std::nullopt;
}

std::optional<GoogleSignInError> errorOf(const std::optional<Result> &result)
{
    if (const GoogleSignInError *error = result ? std::get_if<GoogleSignInError>(&*result) : nullptr)
        return *error;
    return std::nullopt;
}

// An address where nobody listens.
QUrl closedPortUrl(const QString &path)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    QUrl url(QStringLiteral("http://127.0.0.1"));
    url.setPort(server.serverPort());
    url.setPath(path);
    return url;
}

QUrl withQuery(QUrl url, const QString &query)
{
    url.setQuery(query);
    return url;
}

}

class TestGoogleOAuthClient : public QObject
{
    Q_OBJECT

    FixedClock m_clock{kStart};
    std::unique_ptr<FakeGoogleOAuth> m_google;
    std::unique_ptr<FakeBrowser> m_browser;
    std::unique_ptr<MemorySecretStore> m_secrets;
    std::unique_ptr<GoogleOAuthClient> m_client;

    // The application started again on the same machine: same secrets, a new client.
    std::unique_ptr<GoogleOAuthClient> restartedClient(const GoogleOAuthConfig &config)
    {
        auto client = std::make_unique<GoogleOAuthClient>(config, *m_secrets);
        client->setBrowserOpener(m_browser->opener());
        return client;
    }

    std::optional<Result> signIn(GoogleOAuthClient &client, QWindow *presenter = nullptr)
    {
        return await(client.signIn(presenter, {kCalendarScope}));
    }

private slots:
    void init()
    {
        Clock::setShared(&m_clock);
        m_clock.set(kStart);
        m_google = std::make_unique<FakeGoogleOAuth>();
        m_browser = std::make_unique<FakeBrowser>();
        m_secrets = std::make_unique<MemorySecretStore>();
        m_client = restartedClient(m_google->config());
    }

    void cleanup()
    {
        m_client.reset();
        Clock::setShared(nullptr);
    }

    void signInRunsTheCodeFlowWithPkce()
    {
        QWindow presenter;
        presenter.show();
        QWindow other;
        other.show();
        other.requestActivate();
        QTRY_COMPARE(QGuiApplication::focusWindow(), &other);
        QSignalSpy signingIn(m_client.get(), &GoogleSignInClient::signingInChanged);
        QSignalSpy userChanged(m_client.get(), &GoogleSignInClient::currentUserChanged);

        const std::optional<Result> result = signIn(*m_client, &presenter);

        const std::optional<GoogleUser> user = userOf(result);
        QVERIFY2(user, qPrintable(describe(result)));
        QCOMPARE(user->userId, u"108234567890"_qs);
        QCOMPARE(user->accessToken, m_google->lastAccessToken());
        QCOMPARE(user->profile, (GoogleProfile{u"Ada Lovelace"_qs, u"ada@example.com"_qs,
                                               QUrl(u"https://lh3.googleusercontent.com/a/ACg8ocK=s96-c"_qs)}));
        QCOMPARE(m_client->currentUser()->accessToken, user->accessToken);
        QCOMPARE(userChanged.count(), 1);
        QCOMPARE(signingIn.count(), 2);
        QVERIFY(!m_client->isSigningIn());
        QTRY_COMPARE(QGuiApplication::focusWindow(), &presenter);
        QTRY_VERIFY(m_browser->lastPage().contains("Dayloom: you can close this tab and return to the app."));

        // What the consent page was asked for.
        const QUrlQuery authorization(m_browser->lastOpenedUrl());
        QCOMPARE(m_browser->lastOpenedUrl().path(), FakeGoogleOAuth::authorizePath);
        QCOMPARE(authorization.queryItemValue(u"scope"_qs, QUrl::FullyDecoded).split(u' '),
                 (QStringList{u"openid"_qs, u"email"_qs, u"profile"_qs, kCalendarScope}));
        QCOMPARE(authorization.queryItemValue(u"access_type"_qs), u"offline"_qs);
        QCOMPARE(authorization.queryItemValue(u"prompt"_qs), u"consent"_qs);
        const QUrl redirect(authorization.queryItemValue(u"redirect_uri"_qs, QUrl::FullyDecoded));
        QCOMPARE(redirect.host(), u"127.0.0.1"_qs);
        QVERIFY(authorization.queryItemValue(u"state"_qs).size() >= 16);

        // One code exchange, by the client itself (the fake checked code, verifier and redirect
        // address), then the account details with the new token.
        const QList<FakeGoogleOAuth::Request> tokenRequests = m_google->requests(FakeGoogleOAuth::tokenPath);
        QCOMPARE(tokenRequests.size(), 1);
        QCOMPARE(tokenRequests[0].formValue(u"grant_type"_qs), u"authorization_code"_qs);
        QCOMPARE(m_google->requests(FakeGoogleOAuth::userInfoPath).last().header("Authorization"),
                 QByteArray("Bearer " + user->accessToken.toUtf8()));

        // The refresh token is kept as a secret, the access token is not.
        QVERIFY(m_secrets->secret().has_value());
        QVERIFY(m_secrets->secret()->contains(m_google->lastRefreshToken().toUtf8()));
        QVERIFY(!m_secrets->secret()->contains(user->accessToken.toUtf8()));

        // The loopback listener is closed after the answer.
        m_browser->visit(withQuery(redirect, u"code=late&state=x"_qs));
        QTRY_COMPARE(m_browser->pagesLoaded(), 2);
        QCOMPARE(m_browser->lastError(), QNetworkReply::ConnectionRefusedError);
    }

    void browserAnswersOtherThanACode_data()
    {
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused consent") << u"access_denied"_qs << QString() << GoogleSignInError::cancelledCode
                                         << u"The Google sign-in was cancelled."_qs;
        QTest::newRow("other error") << u"invalid_scope"_qs << u"Some requested scopes were invalid."_qs
                                     << GoogleSignInError::unknownCode
                                     << u"Google refused the sign-in: invalid_scope (Some requested scopes were invalid.)"_qs;
        QTest::newRow("other error without description") << u"server_error"_qs << QString() << GoogleSignInError::unknownCode
                                                         << u"Google refused the sign-in: server_error"_qs;
    }

    void browserAnswersOtherThanACode()
    {
        QFETCH(QString, error);
        QFETCH(QString, description);
        m_google->setAuthorizationError(error, description);
        const std::optional<Result> result = signIn(*m_client);
        const std::optional<GoogleSignInError> failure = errorOf(result);
        QVERIFY2(failure, qPrintable(describe(result)));
        QTEST(failure->code, "code");
        QTEST(failure->message, "message");
        QVERIFY(!m_client->isSigningIn());
        QVERIFY(!m_client->hasSignedInUser());
        QCOMPARE(m_google->requestCount(FakeGoogleOAuth::tokenPath), 0);
    }

    void aWaitingSignInEndsWithTheCancelCode()
    {
        m_client->setBrowserOpener(m_browser->opener(false)); // the user does nothing in the browser
        QSignalSpy signingIn(m_client.get(), &GoogleSignInClient::signingInChanged);

        Running<Result> cancelled(m_client->signIn(nullptr, {}));
        QVERIFY(m_client->isSigningIn());
        m_client->cancelSignIn();
        QVERIFY(!m_client->isSigningIn());
        QCOMPARE(signingIn.count(), 2);
        QCOMPARE(errorOf(cancelled.result())->code, GoogleSignInError::cancelledCode);

        Running<Result> signedOut(m_client->signIn(nullptr, {}));
        m_client->signOut();
        QCOMPARE(errorOf(signedOut.result())->code, GoogleSignInError::cancelledCode);

        // A second sign-in replaces the waiting one, which answers with the cancel code.
        Running<Result> replaced(m_client->signIn(nullptr, {}));
        Running<Result> second(m_client->signIn(nullptr, {}));
        QCOMPARE(errorOf(replaced.result())->code, GoogleSignInError::cancelledCode);
        QVERIFY(m_client->isSigningIn());
        QVERIFY(!second.isFinished());
        m_browser->visit(m_browser->lastOpenedUrl());
        QVERIFY2(userOf(second.result()), qPrintable(describe(second.result())));
        QVERIFY(!m_client->isSigningIn());
    }

    void aCallbackWithoutTheAttemptsStateIsIgnored()
    {
        m_client->setBrowserOpener(m_browser->opener(false));
        Running<Result> running(m_client->signIn(nullptr, {}));
        const QUrlQuery authorization(m_browser->lastOpenedUrl());
        const QUrl redirect(authorization.queryItemValue(u"redirect_uri"_qs, QUrl::FullyDecoded));

        for (const QString &query : {u"code=forged&state=wrong"_qs, u"code=forged"_qs, u"error=access_denied"_qs}) {
            const int loaded = m_browser->pagesLoaded();
            m_browser->visit(withQuery(redirect, query));
            QTRY_COMPARE(m_browser->pagesLoaded(), loaded + 1);
            QVERIFY2(!running.isFinished(), qPrintable(query));
            QVERIFY(m_client->isSigningIn());
        }

        m_browser->visit(m_browser->lastOpenedUrl());
        QVERIFY2(userOf(running.result()), qPrintable(describe(running.result())));
        QCOMPARE(m_google->requestCount(FakeGoogleOAuth::tokenPath), 1);
    }

    void tokenEndpointFailuresAreDescribed_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("OAuth error") << 401
                                     << QByteArray(R"({"error":"invalid_client","error_description":"The OAuth client was not found."})")
                                     << u"The token request failed: invalid_client (The OAuth client was not found.)"_qs;
        QTest::newRow("not JSON") << 502 << QByteArray("<html>Bad Gateway</html>") << u"The token request failed: HTTP 502"_qs;
        QTest::newRow("no answer") << 0 << QByteArray() << u"The token request failed: Connection refused"_qs;
    }

    void tokenEndpointFailuresAreDescribed()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        GoogleOAuthConfig config = m_google->config();
        if (status == 0)
            config.tokenUrl = closedPortUrl(FakeGoogleOAuth::tokenPath);
        else
            m_google->setTokenFailure(status, body);
        m_client = restartedClient(config);

        const std::optional<Result> result = signIn(*m_client);

        const std::optional<GoogleSignInError> failure = errorOf(result);
        QVERIFY2(failure, qPrintable(describe(result)));
        QCOMPARE(failure->code, GoogleSignInError::unknownCode);
        QTEST(failure->message, "message");
        QVERIFY(!m_client->hasSignedInUser());
        QVERIFY(!m_secrets->secret());
    }

    void aSignInThatCannotStartFailsAtOnce_data()
    {
        QTest::addColumn<QString>("clientId");
        QTest::addColumn<bool>("browserOpens");
        QTest::addColumn<QString>("message");
        QTest::newRow("no client ID") << QString() << true
                                      << u"This build of Dayloom has no Google OAuth client ID. Set "
                                         u"DAYLOOM_GOOGLE_CLIENT_ID when configuring the build."_qs;
        QTest::newRow("no browser") << FakeGoogleOAuth::clientId << false
                                    << u"Dayloom couldn’t open the web browser for the Google sign-in."_qs;
    }

    void aSignInThatCannotStartFailsAtOnce()
    {
        QFETCH(QString, clientId);
        QFETCH(bool, browserOpens);
        GoogleOAuthConfig config = m_google->config();
        config.clientId = clientId;
        m_client = restartedClient(config);
        int opened = 0;
        m_client->setBrowserOpener([&](const QUrl &) {
            ++opened;
            return browserOpens;
        });

        Running<Result> running(m_client->signIn(nullptr, {kCalendarScope}));

        QVERIFY(running.isFinished());
        const std::optional<GoogleSignInError> failure = errorOf(running.result());
        QVERIFY(failure);
        QTEST(failure->message, "message");
        QCOMPARE(opened, clientId.isEmpty() ? 0 : 1);
        QVERIFY(!m_client->isSigningIn());
    }

    void anAccountWithoutProfileSignsInWithoutOne()
    {
        m_google->setUserInfo({{u"sub"_qs, u"42"_qs}});
        const std::optional<Result> result = signIn(*m_client);
        QVERIFY2(userOf(result), qPrintable(describe(result)));
        QCOMPARE(userOf(result)->userId, u"42"_qs);
        QCOMPARE(userOf(result)->profile, std::nullopt);

        m_google->setUserInfo({});
        const std::optional<Result> nameless = signIn(*m_client);
        QVERIFY(errorOf(nameless));
        QCOMPARE(m_client->currentUser()->userId, u"42"_qs); // the failed sign-in changed nothing
    }

    void aSignInThatCannotBeSavedFails()
    {
        m_secrets->setWriteError(u"The keyring is locked."_qs);
        const std::optional<GoogleSignInError> failure = errorOf(signIn(*m_client));
        QVERIFY(failure);
        QCOMPARE(failure->code, GoogleSignInError::keychainCode);
        QVERIFY(failure->message.contains(u"The keyring is locked."));
        QVERIFY(!m_client->hasSignedInUser());
    }

    void aRestartRestoresTheUserWithoutTheBrowser()
    {
        const GoogleUser signedIn = userOf(signIn(*m_client)).value_or(GoogleUser());
        QVERIFY(!signedIn.userId.isEmpty());
        m_client.reset();
        const int opened = m_browser->openedUrls().size();

        auto restarted = restartedClient(m_google->config());
        QSignalSpy userChanged(restarted.get(), &GoogleSignInClient::currentUserChanged);
        const std::optional<Result> result = await(restarted->restorePreviousSignIn());

        const std::optional<GoogleUser> user = userOf(result);
        QVERIFY2(user, qPrintable(describe(result)));
        QCOMPARE(user->userId, signedIn.userId);
        QCOMPARE(user->profile, signedIn.profile);
        QCOMPARE(user->accessToken, m_google->lastAccessToken());
        QVERIFY(user->accessToken != signedIn.accessToken);
        QCOMPARE(restarted->currentUser()->accessToken, user->accessToken);
        QCOMPARE(userChanged.count(), 1);
        QCOMPARE(m_browser->openedUrls().size(), opened);

        // A name changed at Google since is taken over, and kept for an offline start.
        QJsonObject renamed = FakeGoogleOAuth::defaultUserInfo();
        renamed.insert(u"name"_qs, u"Ada King"_qs);
        m_google->setUserInfo(renamed);
        auto again = restartedClient(m_google->config());
        QCOMPARE(userOf(await(again->restorePreviousSignIn())).value_or(GoogleUser()).profile.value_or(GoogleProfile()).name, u"Ada King"_qs);
        m_google->stopListening();
        auto offline = restartedClient(m_google->config());
        QCOMPARE(userOf(await(offline->restorePreviousSignIn())).value_or(GoogleUser()).profile.value_or(GoogleProfile()).name, u"Ada King"_qs);
    }

    void restoreWithoutAUsableSecret_data()
    {
        QTest::addColumn<std::optional<QByteArray>>("secret");
        QTest::addColumn<std::optional<QString>>("readError");
        QTest::addColumn<int>("code");
        QTest::newRow("nothing stored") << std::optional<QByteArray>() << std::optional<QString>()
                                        << GoogleSignInError::nothingToRestoreCode;
        QTest::newRow("unreadable record") << std::optional<QByteArray>("{\"refreshTok") << std::optional<QString>()
                                           << GoogleSignInError::nothingToRestoreCode;
        QTest::newRow("keyring error") << std::optional<QByteArray>() << std::optional<QString>(u"Access denied"_qs)
                                       << GoogleSignInError::keychainCode;
    }

    void restoreWithoutAUsableSecret()
    {
        QFETCH(std::optional<QByteArray>, secret);
        QFETCH(std::optional<QString>, readError);
        m_secrets->setSecret(secret);
        m_secrets->setReadError(readError);
        const std::optional<GoogleSignInError> failure = errorOf(await(m_client->restorePreviousSignIn()));
        QVERIFY(failure);
        QTEST(failure->code, "code");
        QVERIFY(!m_client->hasSignedInUser());
        QCOMPARE(m_google->requestCount(FakeGoogleOAuth::tokenPath), 0);
    }

    void anExpiringAccessTokenIsRefreshedBeforeItIsHandedOut()
    {
        m_google->setExpiresIn(3600);
        const QString first = userOf(signIn(*m_client)).value_or(GoogleUser()).accessToken;
        QVERIFY(!first.isEmpty());

        // Valid for at least another minute: handed out as it is.
        m_clock.advance(3600 - 61);
        QCOMPARE(userOf(await(m_client->refreshTokensIfNeeded()))->accessToken, first);
        QCOMPARE(m_google->requestCount(FakeGoogleOAuth::tokenPath), 1);

        m_clock.advance(2);
        const std::optional<Result> refreshed = await(m_client->refreshTokensIfNeeded());
        QVERIFY2(userOf(refreshed), qPrintable(describe(refreshed)));
        const QString second = userOf(refreshed)->accessToken;
        QVERIFY(second != first);
        QCOMPARE(second, m_google->lastAccessToken());
        QCOMPARE(m_client->currentUser()->accessToken, second);
        const FakeGoogleOAuth::Request refresh = m_google->requests(FakeGoogleOAuth::tokenPath).last();
        QCOMPARE(refresh.formValue(u"grant_type"_qs), u"refresh_token"_qs);
        QCOMPARE(refresh.formValue(u"refresh_token"_qs), m_google->lastRefreshToken());

        // Callers asking at the same time share one refresh.
        m_clock.advance(3600);
        Running<Result> a(m_client->refreshTokensIfNeeded());
        Running<Result> b(m_client->refreshTokensIfNeeded());
        const std::optional<Result> resultA = a.result();
        const std::optional<Result> resultB = b.result();
        QVERIFY(userOf(resultA) && userOf(resultB));
        QCOMPARE(userOf(resultA)->accessToken, m_google->lastAccessToken());
        QCOMPARE(userOf(resultB)->accessToken, m_google->lastAccessToken());
        QCOMPARE(m_google->requestCount(FakeGoogleOAuth::tokenPath), 3);
    }

    void aRevokedRefreshTokenEndsTheSignIn()
    {
        QVERIFY(userOf(signIn(*m_client)));
        m_clock.advance(7200);

        // A failure that is not Google's refusal keeps the user.
        m_google->setTokenFailure(503, QByteArray());
        const std::optional<GoogleSignInError> unavailable = errorOf(await(m_client->refreshTokensIfNeeded()));
        QVERIFY(unavailable);
        QCOMPARE(unavailable->message, u"The token request failed: HTTP 503"_qs);
        QVERIFY(m_client->hasSignedInUser());
        QVERIFY(m_secrets->secret());

        m_google->setTokenFailure(0, QByteArray());
        m_google->revoke(m_google->lastRefreshToken());
        QSignalSpy userChanged(m_client.get(), &GoogleSignInClient::currentUserChanged);
        const std::optional<GoogleSignInError> revoked = errorOf(await(m_client->refreshTokensIfNeeded()));
        QVERIFY(revoked);
        QCOMPARE(revoked->message, u"Your Google sign-in has expired or was revoked. Sign in with Google again to sync."_qs);
        QVERIFY(!m_client->hasSignedInUser());
        QCOMPARE(userChanged.count(), 1);
        QVERIFY(!m_secrets->secret());
        QCOMPARE(errorOf(await(m_client->refreshTokensIfNeeded()))->code, GoogleSignInError::nothingToRestoreCode);
    }

    void restoreWithARevokedRefreshTokenForgetsIt()
    {
        QVERIFY(userOf(signIn(*m_client)));
        m_google->revoke(m_google->lastRefreshToken());
        auto restarted = restartedClient(m_google->config());
        const std::optional<GoogleSignInError> failure = errorOf(await(restarted->restorePreviousSignIn()));
        QVERIFY(failure);
        QCOMPARE(failure->message, u"Your Google sign-in has expired or was revoked. Sign in with Google again to sync."_qs);
        QVERIFY(!restarted->hasSignedInUser());
        QVERIFY(!m_secrets->secret());
    }

    void anOfflineStartKeepsTheStoredUser()
    {
        const GoogleUser signedIn = userOf(signIn(*m_client)).value_or(GoogleUser());
        QVERIFY(!signedIn.userId.isEmpty());
        m_google->stopListening();

        auto restarted = restartedClient(m_google->config());
        const std::optional<Result> result = await(restarted->restorePreviousSignIn());
        const std::optional<GoogleUser> user = userOf(result);
        QVERIFY2(user, qPrintable(describe(result)));
        QCOMPARE(user->userId, signedIn.userId);
        QCOMPARE(user->profile, signedIn.profile);
        QVERIFY(user->accessToken.isEmpty());
        QVERIFY(restarted->hasSignedInUser());

        // The next token request tries again, and fails while offline without signing out.
        const std::optional<GoogleSignInError> offline = errorOf(await(restarted->refreshTokensIfNeeded()));
        QVERIFY(offline);
        QCOMPARE(offline->message, u"The token request failed: Connection refused"_qs);
        QVERIFY(restarted->hasSignedInUser());
        QVERIFY(m_secrets->secret());
    }

    void signOutLeavesNothingToRestore()
    {
        QVERIFY(userOf(signIn(*m_client)));
        QSignalSpy userChanged(m_client.get(), &GoogleSignInClient::currentUserChanged);
        m_client->signOut();
        QVERIFY(!m_client->hasSignedInUser());
        QCOMPARE(userChanged.count(), 1);
        QTRY_VERIFY(!m_secrets->secret());

        auto restarted = restartedClient(m_google->config());
        QCOMPARE(errorOf(await(restarted->restorePreviousSignIn()))->code, GoogleSignInError::nothingToRestoreCode);
    }

    void disconnectRevokesTheRefreshToken()
    {
        QVERIFY(userOf(signIn(*m_client)));
        const QString refreshToken = m_google->lastRefreshToken();

        const std::optional<std::optional<GoogleSignInError>> revoked = await(m_client->disconnect());
        QVERIFY(revoked);
        QVERIFY2(!*revoked, qPrintable(revoked->value_or(GoogleSignInError()).message));
        const QList<FakeGoogleOAuth::Request> revocations = m_google->requests(FakeGoogleOAuth::revokePath);
        QCOMPARE(revocations.size(), 1);
        QCOMPARE(revocations[0].formValue(u"token"_qs), refreshToken);
        QVERIFY(m_client->hasSignedInUser()); // the caller signs out afterwards

        // Google no longer knows the token.
        const std::optional<std::optional<GoogleSignInError>> again = await(m_client->disconnect());
        QVERIFY(again && *again);
        QCOMPARE((*again)->message, u"Google couldn’t revoke Dayloom’s access: invalid_token (Token expired or revoked)"_qs);
    }
};

QTEST_MAIN(TestGoogleOAuthClient)
#include "test_googleoauthclient.moc"
