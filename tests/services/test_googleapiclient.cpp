#include "awaittask.h"
#include "fakegooglesignin.h"
#include "googleapiclient.h"

#include <QTest>

using namespace GoogleAPIClient;

Q_DECLARE_METATYPE(GoogleAPIClient::Error)

class TestGoogleAPIClient : public QObject
{
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<Error>("error");
        QTest::addColumn<QString>("message");
        const QString denied = u"Google Calendar access was denied. Sign out, sign in again, and allow Calendar access."_qs;
        QTest::newRow("401") << Error(APIError::requestFailed(401, u"body"_qs)) << denied;
        QTest::newRow("403") << Error(APIError::requestFailed(403, QString())) << denied;
        QTest::newRow("500") << Error(APIError::requestFailed(500, u"secret body"_qs))
                             << u"Google Calendar returned an error (500)."_qs;
        QTest::newRow("404") << Error(APIError::requestFailed(404, QString())) << u"Google Calendar returned an error (404)."_qs;
        QTest::newRow("invalid id") << Error(APIError::requestFailed(-1, u"Invalid event id"_qs))
                                    << u"Google Calendar returned an error (-1)."_qs;
        QTest::newRow("not signed in") << Error(APIError::notSignedIn()) << u"Not signed in to Google."_qs;
        QTest::newRow("network") << Error(NetworkError{QNetworkReply::HostNotFoundError, u"Host not found"_qs})
                                 << u"Host not found"_qs;
        QTest::newRow("sign-in client") << Error(GoogleSignInError{-2, u"The grant was revoked."_qs})
                                        << u"The grant was revoked."_qs;
        QTest::newRow("decoding") << Error(DecodingError{u"\"id\" is not a string"_qs})
                                  << u"The data couldn’t be read because it isn’t in the correct format."_qs;
    }

    void messages()
    {
        QFETCH(Error, error);
        QFETCH(QString, message);
        QCOMPARE(syncErrorMessage(error), message);
    }

    void failedStatusOnlyForRequestFailures()
    {
        QCOMPARE(failedStatus(APIError::requestFailed(410, QString())), 410);
        QCOMPARE(failedStatus(APIError::notSignedIn()), std::nullopt);
        QCOMPARE(failedStatus(NetworkError{}), std::nullopt);
    }

    void noUserMeansNotSignedIn()
    {
        FakeGoogleSignInClient client;
        const GoogleResult<QString> token = awaitTask(validAccessToken(client));
        QVERIFY(!token.ok());
        QVERIFY(std::get<APIError>(token.error()) == APIError::notSignedIn());
        QCOMPARE(client.refreshCount(), 0);
    }

    void refreshedUsersTokenIsUsed()
    {
        FakeGoogleSignInClient client(FakeGoogleSignInClient::user(u"ada@example.com"_qs, u"fresh"_qs));
        const GoogleResult<QString> token = awaitTask(validAccessToken(client));
        QVERIFY(token.ok());
        QCOMPARE(token.value(), u"fresh"_qs);
        QCOMPARE(client.refreshCount(), 1);
    }

    void refreshErrorPassesUnchanged()
    {
        FakeGoogleSignInClient client(FakeGoogleSignInClient::user(u"ada@example.com"_qs));
        client.setRefreshError(GoogleSignInError{-7, u"No network."_qs});
        const GoogleResult<QString> token = awaitTask(validAccessToken(client));
        QVERIFY(!token.ok());
        const auto &error = std::get<GoogleSignInError>(token.error());
        QCOMPARE(error.code, -7);
        QCOMPARE(error.message, u"No network."_qs);
    }

    void signedOutDefaultClientRefusesTokens()
    {
        SignedOutGoogleClient client;
        const GoogleResult<QString> token = awaitTask(validAccessToken(client));
        QVERIFY(!token.ok());
        QCOMPARE(syncErrorMessage(token.error()), u"Not signed in to Google."_qs);
    }
};

QTEST_GUILESS_MAIN(TestGoogleAPIClient)
#include "test_googleapiclient.moc"
