#include "googleapiclient.h"

namespace GoogleAPIClient {

namespace {

QString apiErrorMessage(const APIError &error)
{
    if (error.kind == APIError::Kind::NotSignedIn)
        return QStringLiteral("Not signed in to Google.");
    if (error.status == 401 || error.status == 403)
        return QStringLiteral("Google Calendar access was denied. Sign out, sign in again, and allow Calendar access.");
    return QStringLiteral("Google Calendar returned an error (") + QString::number(error.status) + QStringLiteral(").");
}

} // namespace

std::optional<int> failedStatus(const Error &error)
{
    const auto *apiError = std::get_if<APIError>(&error);
    if (!apiError || !apiError->isRequestFailed())
        return std::nullopt;
    return apiError->status;
}

QString syncErrorMessage(const Error &error)
{
    struct Message
    {
        QString operator()(const APIError &e) const { return apiErrorMessage(e); }
        QString operator()(const NetworkError &e) const { return e.description; }
        QString operator()(const DecodingError &) const
        {
            return QStringLiteral("The data couldn’t be read because it isn’t in the correct format.");
        }
        QString operator()(const GoogleSignInError &e) const { return e.message; }
    };
    return std::visit(Message{}, error);
}

QCoro::Task<GoogleResult<QString>> validAccessToken(GoogleSignInClient &client)
{
    if (!client.currentUser())
        co_return GoogleResult<QString>(APIError::notSignedIn());
    const GoogleSignInClient::Result refreshed = co_await client.refreshTokensIfNeeded();
    if (const auto *error = std::get_if<GoogleSignInError>(&refreshed))
        co_return GoogleResult<QString>(*error);
    co_return GoogleResult<QString>(std::get<GoogleUser>(refreshed).accessToken);
}

} // namespace GoogleAPIClient
