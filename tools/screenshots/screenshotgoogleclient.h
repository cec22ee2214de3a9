#pragma once

#include "googlesignin.h"

#include <QCoroSignal>

// The Google client of the screenshots: nobody is signed in; a sign-in either waits for the
// browser until it is cancelled, or fails at once as a build without a client ID does.
class ScreenshotGoogleClient final : public GoogleSignInClient
{
    Q_OBJECT

public:
    bool waitsForBrowser = false;

    std::optional<GoogleUser> currentUser() const override { return std::nullopt; }
    QCoro::Task<Result> refreshTokensIfNeeded() override { co_return notSignedIn(); }
    QCoro::Task<Result> restorePreviousSignIn() override { co_return notSignedIn(); }
    void signOut() override {}
    QCoro::Task<std::optional<GoogleSignInError>> disconnect() override { co_return std::nullopt; }
    bool isSigningIn() const override { return m_signingIn; }
    void cancelSignIn() override { emit cancelled(); }

    QCoro::Task<Result> signIn(QWindow *, const QStringList &) override
    {
        if (!waitsForBrowser)
            co_return GoogleSignInError{GoogleSignInError::unknownCode,
                                        QStringLiteral("This build of Dayloom has no Google OAuth client ID.")};
        setSigningIn(true);
        co_await qCoro(this, &ScreenshotGoogleClient::cancelled);
        setSigningIn(false);
        co_return GoogleSignInError{GoogleSignInError::cancelledCode, QStringLiteral("Cancelled.")};
    }

signals:
    void cancelled();

private:
    static GoogleSignInError notSignedIn() { return {GoogleSignInError::nothingToRestoreCode, QString()}; }
    void setSigningIn(bool signingIn)
    {
        m_signingIn = signingIn;
        emit signingInChanged();
    }

    bool m_signingIn = false;
};
