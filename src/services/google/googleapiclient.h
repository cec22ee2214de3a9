#pragma once

#include "googlesignin.h"

#include <QNetworkReply>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>
#include <utility>
#include <variant>

// Access tokens for the Google Calendar requests, their error type and the messages shown to
// the user. Keeps no state: the sign-in client stores and refreshes the tokens.
namespace GoogleAPIClient {

struct APIError
{
    enum class Kind { RequestFailed, NotSignedIn };

    Kind kind = Kind::NotSignedIn;
    int status = 0; // HTTP status, -1 when there is none
    QString body;   // response text, never shown to the user

    // Google answered outside 200-299, the answer was not HTTP (-1), or an id was unusable (-1).
    static APIError requestFailed(int status, const QString &body) { return {Kind::RequestFailed, status, body}; }
    static APIError notSignedIn() { return {Kind::NotSignedIn, 0, QString()}; }

    bool isRequestFailed() const { return kind == Kind::RequestFailed; }
    bool operator==(const APIError &) const = default;
};

// A transport failure (no connection, timeout, dropped connection) as the network layer reports it.
struct NetworkError
{
    QNetworkReply::NetworkError code = QNetworkReply::UnknownNetworkError;
    QString description;
};

// A success answer whose body is not the JSON that was expected.
struct DecodingError
{
    QString detail; // what was wrong, for debugging; the user sees a general sentence
};

// Every way a Google request can fail.
using Error = std::variant<APIError, NetworkError, DecodingError, GoogleSignInError>;

// The status of a requestFailed error, or nothing for every other error.
std::optional<int> failedStatus(const Error &error);

// The one-line text shown to the user for any error of a synchronisation.
QString syncErrorMessage(const Error &error);

} // namespace GoogleAPIClient

// The value of a Google request, or the one error that stopped it.
template <typename T = std::monostate>
class GoogleResult
{
public:
    GoogleResult(T value) : m_outcome(std::in_place_index<0>, std::move(value)) {}
    GoogleResult(GoogleAPIClient::Error error) : m_outcome(std::in_place_index<1>, std::move(error)) {}
    GoogleResult(GoogleAPIClient::APIError error) : GoogleResult(GoogleAPIClient::Error(std::move(error))) {}
    GoogleResult(GoogleAPIClient::NetworkError error) : GoogleResult(GoogleAPIClient::Error(std::move(error))) {}
    GoogleResult(GoogleAPIClient::DecodingError error) : GoogleResult(GoogleAPIClient::Error(std::move(error))) {}
    GoogleResult(GoogleSignInError error) : GoogleResult(GoogleAPIClient::Error(std::move(error))) {}

    bool ok() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T &value() const & { return std::get<0>(m_outcome); }
    T &value() & { return std::get<0>(m_outcome); }
    T &&value() && { return std::get<0>(std::move(m_outcome)); }
    const GoogleAPIClient::Error &error() const { return std::get<1>(m_outcome); }

private:
    std::variant<T, GoogleAPIClient::Error> m_outcome;
};

namespace GoogleAPIClient {

// The current user's access token, refreshed by the sign-in client when it is about to expire.
// Fails with notSignedIn when nobody is signed in, or with the sign-in client's own error.
QCoro::Task<GoogleResult<QString>> validAccessToken(GoogleSignInClient &client);

} // namespace GoogleAPIClient
