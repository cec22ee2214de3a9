#include "googlesignin.h"

namespace {
GoogleSignInClient *s_shared = nullptr;
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
    co_return GoogleSignInError{-4, QStringLiteral("No user is signed in.")};
}
