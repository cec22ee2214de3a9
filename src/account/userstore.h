#pragma once

#include "userprofile.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QWindow>
#include <QtQml/qqmlregistration.h>

#include <QCoro/QCoroTask>

#include <functional>

class GoogleSignInClient;
class Preferences;
struct GoogleUser;

// Whether somebody is signed in to the application, and that person's profile. Signing in is
// local ("Continue without Google") or with a Google account through the sign-in client.
class UserStore : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application creates the one user store.")
    Q_PROPERTY(bool isLoggedIn READ isLoggedIn NOTIFY isLoggedInChanged)
    Q_PROPERTY(UserProfile profile READ profile WRITE setProfile NOTIFY profileChanged)
    Q_PROPERTY(bool isSigningInWithGoogle READ isSigningInWithGoogle NOTIFY isSigningInWithGoogleChanged)

public:
    static inline const QString profileKey = QStringLiteral("dayloom.profile");
    static inline const QString loggedInKey = QStringLiteral("dayloom.isLoggedIn");
    // The name a local sign-in uses when the name field is left empty.
    static inline const QString defaultName = QStringLiteral("You");
    // Google Calendar events: asked for on top of the basic profile.
    static inline const QString calendarEventsScope = QStringLiteral("https://www.googleapis.com/auth/calendar.events");

    using ErrorCallback = std::function<void(const QString &message)>;

    // Loads the stored profile and sign-in flag. A stored profile that cannot be read is copied
    // into `recoveryFolder` (default: "Recovered" in the application data directory) and the
    // store starts with the empty profile.
    UserStore(Preferences &preferences, GoogleSignInClient &googleClient, QObject *parent = nullptr,
              const QString &recoveryFolder = QString());
    ~UserStore() override;

    bool isLoggedIn() const { return m_isLoggedIn; }
    const UserProfile &profile() const { return m_profile; }
    // Every change of the profile is saved at once.
    void setProfile(const UserProfile &profile);
    void setProfileName(const QString &name);
    void setProfileEmail(const QString &email);
    void setProfilePhotoData(const std::optional<QByteArray> &photoData);

    bool isSigningInWithGoogle() const;

    // Signs in locally with the texts as given (the login screen substitutes "You" for an empty
    // name); an existing photo stays.
    Q_INVOKABLE void continueWithoutGoogle(const QString &name, const QString &email);
    // Signs in with Google from `presenter`. A failure other than a cancel calls `onError` with
    // the message to show; success signs in.
    void signInWithGoogle(QWindow *presenter, ErrorCallback onError);
    Q_INVOKABLE void cancelGoogleSignIn();
    // Re-applies the Google sign-in kept from an earlier start; `completion` runs exactly once,
    // whatever the outcome.
    void restorePreviousSignIn(std::function<void()> completion);
    // Signs out of the application and of Google; the profile and all data stay.
    Q_INVOKABLE void signOut();
    // Disconnects Google (then signs out of it), empties the profile and removes every
    // "dayloom." preference. Part of the delete-account sequence (see AccountDeletion).
    void deleteAccount();

signals:
    void isLoggedInChanged();
    void profileChanged();
    void isSigningInWithGoogleChanged();
    // The Google photo download finished (whether or not it changed the photo); for tests.
    void photoDownloadFinished();

private:
    void loadProfile();
    void saveProfile();
    void setLoggedIn(bool loggedIn);
    void applyGoogleUser(const GoogleUser &user);
    QCoro::Task<> runGoogleSignIn(QWindow *presenter, ErrorCallback onError);
    QCoro::Task<> runRestore(std::function<void()> completion);
    QCoro::Task<> downloadGooglePhoto(GoogleUser user);
    QCoro::Task<> disconnectThenSignOut();

    Preferences &m_preferences;
    GoogleSignInClient &m_google;
    QString m_recoveryFolder;
    bool m_isLoggedIn = false;
    UserProfile m_profile;
    QNetworkAccessManager m_network; // fetches the Google profile photo
};
