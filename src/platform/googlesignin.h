#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <optional>
#include <variant>

// The Google user currently signed in through the sign-in client.
struct GoogleUser
{
    QString userId;
    QString email;
    QString name;
    QString accessToken;
    QUrl imageUrl; // profile picture at its default size; see GoogleSignInClient::imageUrl
};

struct GoogleSignInError
{
    int code = 0; // -5: the user cancelled
    QString message;
};

// The Google account sign-in client, one shared instance. The application's backend talks OAuth
// to Google; a client that reports nobody stands in until a user signs in, and tests use doubles.
class GoogleSignInClient : public QObject
{
    Q_OBJECT

public:
    using Result = std::variant<GoogleUser, GoogleSignInError>;

    using QObject::QObject;

    // The signed-in user, or nothing before any sign-in and after a sign-out.
    virtual std::optional<GoogleUser> currentUser() const = 0;
    // Answers once: the user with a fresh access token, or an error.
    virtual QCoro::Task<Result> refreshTokensIfNeeded() = 0;

    bool hasSignedInUser() const { return currentUser().has_value(); }

    // The client the application uses; one that reports nobody until a real client is installed.
    static GoogleSignInClient &shared();
    static void setShared(GoogleSignInClient *client); // nullptr restores the default

signals:
    void currentUserChanged();
};

// Reports nobody and refuses every token request.
class SignedOutGoogleClient final : public GoogleSignInClient
{
    Q_OBJECT

public:
    using GoogleSignInClient::GoogleSignInClient;
    std::optional<GoogleUser> currentUser() const override { return std::nullopt; }
    QCoro::Task<Result> refreshTokensIfNeeded() override;
};
