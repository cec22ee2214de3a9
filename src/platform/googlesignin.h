#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <optional>
#include <variant>

class QWindow;

// What Google tells about the account: name, e-mail and picture.
struct GoogleProfile
{
    QString name;
    QString email;
    QUrl pictureUrl; // as Google gave it; empty when the account has no picture

    bool hasImage() const { return !pictureUrl.isEmpty(); }
    // The picture scaled to `dimension` pixels square (Google's "=s<size>" suffix); empty
    // without a picture.
    QUrl imageUrl(int dimension) const;

    bool operator==(const GoogleProfile &) const = default;
};

// The Google user currently signed in through the sign-in client.
struct GoogleUser
{
    QString userId;
    QString accessToken; // may be empty or expired; see GoogleSignInClient::refreshTokensIfNeeded
    std::optional<GoogleProfile> profile;

    QString email() const { return profile ? profile->email : QString(); }
};

struct GoogleSignInError
{
    // Codes the callers act on; any other code is a failure to show.
    static constexpr int unknownCode = -1;
    static constexpr int keychainCode = -2;
    static constexpr int nothingToRestoreCode = -4; // also: nobody is signed in
    static constexpr int cancelledCode = -5;        // the user cancelled or refused consent

    int code = unknownCode;
    QString message;

    bool isCancel() const { return code == cancelledCode; }
};

// The Google account sign-in client, one shared instance per process. It signs an account in
// with OAuth 2.0, keeps that sign-in across restarts, hands out fresh access tokens, signs out and
// disconnects. Every operation is called on the main thread and answers once, on the main thread.
class GoogleSignInClient : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool signingIn READ isSigningIn NOTIFY signingInChanged)

public:
    using Result = std::variant<GoogleUser, GoogleSignInError>;

    using QObject::QObject;

    // The signed-in user, or nothing before any sign-in and after a sign-out.
    virtual std::optional<GoogleUser> currentUser() const = 0;
    // Answers once: the user with an access token that is valid for a while, or an error. A
    // refresh token that Google no longer accepts signs the user out of Google.
    virtual QCoro::Task<Result> refreshTokensIfNeeded() = 0;

    // Shows Google's consent page (in the browser) for the basic profile scopes plus
    // `additionalScopes`. `presenter` is the window the user started from, raised again afterwards.
    virtual QCoro::Task<Result> signIn(QWindow *presenter, const QStringList &additionalScopes) = 0;
    // While a sign-in waits for the browser: ends it with the cancel code.
    virtual void cancelSignIn() {}
    virtual bool isSigningIn() const { return false; }
    // The user kept from the last sign-in, or an error (nothingToRestoreCode when there is none).
    virtual QCoro::Task<Result> restorePreviousSignIn() = 0;
    // At once no current user, and nothing left to restore at the next start.
    virtual void signOut() = 0;
    // Revokes the application's access at Google. Answers once, with the error when it failed.
    virtual QCoro::Task<std::optional<GoogleSignInError>> disconnect() = 0;

    bool hasSignedInUser() const { return currentUser().has_value(); }

    // The client the application uses; one that reports nobody until a real client is installed.
    static GoogleSignInClient &shared();
    static void setShared(GoogleSignInClient *client); // nullptr restores the default

signals:
    void currentUserChanged();
    void signingInChanged();
};

// Reports nobody and refuses every request.
class SignedOutGoogleClient final : public GoogleSignInClient
{
    Q_OBJECT

public:
    using GoogleSignInClient::GoogleSignInClient;
    std::optional<GoogleUser> currentUser() const override { return std::nullopt; }
    QCoro::Task<Result> refreshTokensIfNeeded() override;
    QCoro::Task<Result> signIn(QWindow *presenter, const QStringList &additionalScopes) override;
    QCoro::Task<Result> restorePreviousSignIn() override;
    void signOut() override {}
    QCoro::Task<std::optional<GoogleSignInError>> disconnect() override;
};
