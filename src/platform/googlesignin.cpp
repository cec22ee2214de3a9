#include "googlesignin.h"

#include <QRegularExpression>

namespace {
GoogleSignInClient *s_shared = nullptr;

GoogleSignInError noUser()
{
    return {GoogleSignInError::nothingToRestoreCode, QStringLiteral("No user is signed in.")};
}
}

// Google serves account pictures at any size through a suffix of the last path segment:
// ".../photo=s96-c" becomes ".../photo=s200". A picture address without one gets it appended.
QUrl GoogleProfile::imageUrl(int dimension) const
{
    if (pictureUrl.isEmpty())
        return {};
    static const QRegularExpression sizeSuffix(QStringLiteral("=[swh][0-9][^/]*$"));
    QString path = pictureUrl.path(QUrl::FullyEncoded);
    path.remove(sizeSuffix);
    QUrl sized = pictureUrl;
    sized.setPath(path + QStringLiteral("=s") + QString::number(dimension), QUrl::StrictMode);
    return sized;
}

GoogleSignInClient &GoogleSignInClient::shared()
{
    static SignedOutGoogleClient signedOut;
    return s_shared ? *s_shared : signedOut;
}

void GoogleSignInClient::setShared(GoogleSignInClient *client)
{
    s_shared = client;
}

QCoro::Task<GoogleSignInClient::Result> SignedOutGoogleClient::refreshTokensIfNeeded()
{
    co_return noUser();
}

QCoro::Task<GoogleSignInClient::Result> SignedOutGoogleClient::signIn(QWindow *, const QStringList &)
{
    co_return GoogleSignInError{GoogleSignInError::unknownCode,
                                QStringLiteral("Google sign-in is not available in this build.")};
}

QCoro::Task<GoogleSignInClient::Result> SignedOutGoogleClient::restorePreviousSignIn()
{
    co_return noUser();
}

QCoro::Task<std::optional<GoogleSignInError>> SignedOutGoogleClient::disconnect()
{
    co_return std::nullopt;
}
