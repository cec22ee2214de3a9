#pragma once

#include "googlesignin.h"

#include <functional>

// A sign-in client for tests: the signed-in user is set directly, and each token refresh answers
// with that user (whose access token is then used) or with the error the test chose.
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
        user.email = email;
        user.name = QStringLiteral("Test User");
        user.accessToken = accessToken;
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
            co_return GoogleSignInError{-4, QStringLiteral("No user is signed in.")};
        co_return Result(*m_user);
    }

    void setUser(std::optional<GoogleUser> user)
    {
        m_user = std::move(user);
        emit currentUserChanged();
    }
    void signOut() { setUser(std::nullopt); }
    void setAccessToken(const QString &token)
    {
        if (m_user)
            m_user->accessToken = token;
    }
    // Later refreshes fail with this error until it is cleared with nullopt.
    void setRefreshError(std::optional<GoogleSignInError> error) { m_refreshError = std::move(error); }
    // Runs at the start of each refresh, e.g. to sign out while a synchronisation is under way.
    void setOnRefresh(std::function<void()> hook) { m_onRefresh = std::move(hook); }
    int refreshCount() const { return m_refreshCount; }

private:
    std::optional<GoogleUser> m_user;
    std::optional<GoogleSignInError> m_refreshError;
    std::function<void()> m_onRefresh;
    int m_refreshCount = 0;
};
