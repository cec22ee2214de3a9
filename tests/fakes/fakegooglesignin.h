#pragma once

#include "googlesignin.h"

#include <functional>

// A sign-in client for tests: the signed-in user is set directly, each token refresh answers with
// that user (whose access token is then used) or with the error the test chose, and sign-in and
// restore answer with the result the test chose.
class FakeGoogleSignInClient final : public GoogleSignInClient
{
    Q_OBJECT

public:
    explicit FakeGoogleSignInClient(std::optional<GoogleUser> user = std::nullopt, QObject *parent = nullptr)
        : GoogleSignInClient(parent), m_user(std::move(user))
    {
    }

    static GoogleUser user(const QString &email, const QString &accessToken = QStringLiteral("test-token"))
    {
        GoogleUser user;
        user.userId = QStringLiteral("user-1");
        user.accessToken = accessToken;
        user.profile = GoogleProfile{QStringLiteral("Test User"), email, QUrl()};
        return user;
    }

    std::optional<GoogleUser> currentUser() const override { return m_user; }

    QCoro::Task<Result> refreshTokensIfNeeded() override
    {
        ++m_refreshCount;
        if (m_onRefresh)
            m_onRefresh();
        // Copies: QCoro moves from an lvalue given to co_return.
        if (m_refreshError)
            co_return Result(*m_refreshError);
        if (!m_user)
            co_return GoogleSignInError{GoogleSignInError::nothingToRestoreCode, QStringLiteral("No user is signed in.")};
        co_return Result(*m_user);
    }

    // Answers with the chosen sign-in result, signing that user in on success.
    QCoro::Task<Result> signIn(QWindow *presenter, const QStringList &additionalScopes) override
    {
        ++m_signInCount;
        m_lastPresenter = presenter;
        m_lastScopes = additionalScopes;
        const Result result = m_signInResult;
        if (const auto *user = std::get_if<GoogleUser>(&result))
            setUser(*user);
        co_return Result(result);
    }

    QCoro::Task<Result> restorePreviousSignIn() override
    {
        ++m_restoreCount;
        const Result result = m_restoreResult;
        if (const auto *user = std::get_if<GoogleUser>(&result))
            setUser(*user);
        co_return Result(result);
    }

    void signOut() override
    {
        ++m_signOutCount;
        setUser(std::nullopt);
    }

    QCoro::Task<std::optional<GoogleSignInError>> disconnect() override
    {
        ++m_disconnectCount;
        const std::optional<GoogleSignInError> error = m_disconnectError;
        co_return std::optional<GoogleSignInError>(error);
    }

    void setUser(std::optional<GoogleUser> user)
    {
        m_user = std::move(user);
        emit currentUserChanged();
    }
    void setAccessToken(const QString &token)
    {
        if (m_user)
            m_user->accessToken = token;
    }
    // Later refreshes fail with this error until it is cleared with nullopt.
    void setRefreshError(std::optional<GoogleSignInError> error) { m_refreshError = std::move(error); }
    // Runs at the start of each refresh, e.g. to sign out while a synchronisation is under way.
    void setOnRefresh(std::function<void()> hook) { m_onRefresh = std::move(hook); }
    void setSignInResult(Result result) { m_signInResult = std::move(result); }
    void setRestoreResult(Result result) { m_restoreResult = std::move(result); }
    void setDisconnectError(std::optional<GoogleSignInError> error) { m_disconnectError = std::move(error); }

    int refreshCount() const { return m_refreshCount; }
    int signInCount() const { return m_signInCount; }
    int restoreCount() const { return m_restoreCount; }
    int signOutCount() const { return m_signOutCount; }
    int disconnectCount() const { return m_disconnectCount; }
    QWindow *lastPresenter() const { return m_lastPresenter; }
    QStringList lastScopes() const { return m_lastScopes; }

private:
    std::optional<GoogleUser> m_user;
    std::optional<GoogleSignInError> m_refreshError;
    std::function<void()> m_onRefresh;
    Result m_signInResult = GoogleSignInError{GoogleSignInError::cancelledCode, QStringLiteral("Cancelled.")};
    Result m_restoreResult = GoogleSignInError{GoogleSignInError::nothingToRestoreCode, QStringLiteral("Nothing to restore.")};
    std::optional<GoogleSignInError> m_disconnectError;
    int m_refreshCount = 0;
    int m_signInCount = 0;
    int m_restoreCount = 0;
    int m_signOutCount = 0;
    int m_disconnectCount = 0;
    QWindow *m_lastPresenter = nullptr;
    QStringList m_lastScopes;
};
