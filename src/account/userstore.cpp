#include "userstore.h"

#include "googlesignin.h"
#include "preferences.h"
#include "recoverycopy.h"

#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QScopeGuard>
#include <QWindow>

#include <QCoroNetworkReply>

namespace {

// A profile picture is a small image; anything larger is not one.
constexpr qint64 maximumPhotoBytes = 20 * 1024 * 1024;

// Starts a task on the main thread that nobody awaits.
void startDetached(QCoro::Task<> &&task)
{
    [[maybe_unused]] auto running = std::move(task);
}

QString googleFailureMessage(const GoogleSignInError &error)
{
    return QStringLiteral("Google sign-in failed: ") + error.message
           + QStringLiteral(" Also double check your Client ID and URL scheme in the Info tab.");
}

} // namespace

UserStore::UserStore(Preferences &preferences, GoogleSignInClient &googleClient, QObject *parent,
                     const QString &recoveryFolder)
    : QObject(parent),
      m_preferences(preferences),
      m_google(googleClient),
      m_recoveryFolder(recoveryFolder.isEmpty() ? RecoveryCopy::defaultFolder() : recoveryFolder)
{
    connect(&m_google, &GoogleSignInClient::signingInChanged, this, &UserStore::isSigningInWithGoogleChanged);
    loadProfile();
    m_isLoggedIn = m_preferences.boolValue(loggedInKey);
}

UserStore::~UserStore() = default;

void UserStore::loadProfile()
{
    const QVariant stored = m_preferences.object(profileKey);
    if (!stored.isValid())
        return;
    const auto bytes = m_preferences.bytes(profileKey);
    const auto decoded = bytes ? UserProfile::decode(*bytes) : std::nullopt;
    if (!decoded) {
        // The next save replaces the stored bytes: a copy keeps them.
        RecoveryCopy::keep(m_recoveryFolder, QStringLiteral("profile"), bytes ? *bytes : stored.toString().toUtf8());
        return;
    }
    setProfile(*decoded); // writes it back in the current form
}

void UserStore::saveProfile()
{
    m_preferences.setBytes(profileKey, m_profile.encode());
}

void UserStore::setProfile(const UserProfile &profile)
{
    const bool changed = profile != m_profile;
    m_profile = profile;
    saveProfile();
    if (changed)
        emit profileChanged();
}

void UserStore::setProfileName(const QString &name)
{
    UserProfile profile = m_profile;
    profile.name = name;
    setProfile(profile);
}

void UserStore::setProfileEmail(const QString &email)
{
    UserProfile profile = m_profile;
    profile.email = email;
    setProfile(profile);
}

void UserStore::setProfilePhotoData(const std::optional<QByteArray> &photoData)
{
    UserProfile profile = m_profile;
    profile.photoData = photoData;
    setProfile(profile);
}

bool UserStore::isSigningInWithGoogle() const
{
    return m_google.isSigningIn();
}

void UserStore::setLoggedIn(bool loggedIn)
{
    if (m_isLoggedIn == loggedIn)
        return;
    m_isLoggedIn = loggedIn;
    emit isLoggedInChanged();
}

void UserStore::continueWithoutGoogle(const QString &name, const QString &email)
{
    setProfileName(name);
    setProfileEmail(email);
    setLoggedIn(true);
    m_preferences.setBool(loggedInKey, true);
}

void UserStore::signInWithGoogle(QWindow *presenter, ErrorCallback onError)
{
    startDetached(runGoogleSignIn(presenter, std::move(onError)));
}

QCoro::Task<> UserStore::runGoogleSignIn(QWindow *presenter, ErrorCallback onError)
{
    const QPointer<UserStore> self(this);
    GoogleSignInClient &google = m_google;
    const QStringList scopes{calendarEventsScope};
    const GoogleSignInClient::Result result = co_await google.signIn(presenter, scopes);
    if (const auto *error = std::get_if<GoogleSignInError>(&result)) {
        if (!error->isCancel() && onError)
            onError(googleFailureMessage(*error));
        co_return;
    }
    if (self)
        self->applyGoogleUser(std::get<GoogleUser>(result));
}

void UserStore::cancelGoogleSignIn()
{
    m_google.cancelSignIn();
}

void UserStore::restorePreviousSignIn(std::function<void()> completion)
{
    startDetached(runRestore(std::move(completion)));
}

QCoro::Task<> UserStore::runRestore(std::function<void()> completion)
{
    const QPointer<UserStore> self(this);
    const GoogleSignInClient::Result result = co_await m_google.restorePreviousSignIn();
    if (const auto *user = std::get_if<GoogleUser>(&result); user && self)
        self->applyGoogleUser(*user);
    if (completion)
        completion();
}

void UserStore::applyGoogleUser(const GoogleUser &user)
{
    if (user.profile) {
        setProfileName(user.profile->name);
        setProfileEmail(user.profile->email);
    }
    setLoggedIn(true);
    m_preferences.setBool(loggedInKey, true);
    startDetached(downloadGooglePhoto(user));
}

// The Google picture at 200 pixels replaces the photo. Only an image answered with success is
// taken: an error page or a truncated answer would otherwise replace the user's photo with bytes
// that show nothing.
QCoro::Task<> UserStore::downloadGooglePhoto(GoogleUser user)
{
    const QPointer<UserStore> self(this);
    const auto finished = qScopeGuard([self] {
        if (self)
            emit self->photoDownloadFinished();
    });
    if (!user.profile || !user.profile->hasImage())
        co_return;
    const QUrl address = user.profile->imageUrl(200);
    if (!address.isValid() || (address.scheme() != u"https" && address.scheme() != u"http"))
        co_return;

    QNetworkRequest request(address);
    request.setTransferTimeout(60'000);
    QPointer<QNetworkReply> reply = m_network.get(request);
    const auto cleanup = qScopeGuard([reply] {
        if (reply)
            reply->deleteLater();
    });
    connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(), [reply](qint64 received, qint64) {
        if (received > maximumPhotoBytes)
            reply->abort();
    });
    co_await reply.get();
    if (!reply || !self || reply->error() != QNetworkReply::NoError)
        co_return;
    const QByteArray bytes = reply->readAll();
    if (bytes.isEmpty() || QImage::fromData(bytes).isNull())
        co_return;
    self->setProfilePhotoData(bytes);
}

void UserStore::signOut()
{
    setLoggedIn(false);
    m_preferences.setBool(loggedInKey, false);
    m_google.signOut();
}

void UserStore::deleteAccount()
{
    startDetached(disconnectThenSignOut());
    setLoggedIn(false);
    setProfile(UserProfile());
    const QStringList keys = m_preferences.allKeys();
    for (const QString &key : keys) {
        if (key.startsWith(QStringLiteral("dayloom.")))
            m_preferences.remove(key);
    }
}

QCoro::Task<> UserStore::disconnectThenSignOut()
{
    GoogleSignInClient &google = m_google; // the client outlives the store
    co_await google.disconnect();
    google.signOut();
}
