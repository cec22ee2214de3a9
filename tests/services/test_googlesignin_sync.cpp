#include "awaittask.h"
#include "clock.h"
#include "eventstore.h"
#include "fakegooglecalendar.h"
#include "fakegoogleoauth.h"
#include "googleoauthclient.h"
#include "googlesync.h"
#include "memorysecretstore.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QTemporaryDir>
#include <QTest>

// The real sign-in client under a synchronisation: Google's OAuth endpoints and the calendar
// are fakes, the token handling between them is the application's.
class TestGoogleSignInSync : public QObject
{
    Q_OBJECT

    FixedClock m_clock{Instant::fromSeconds(750'000'000)};
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<FakeGoogleOAuth> m_oauth;
    std::unique_ptr<FakeBrowser> m_browser;
    std::unique_ptr<MemorySecretStore> m_secrets;
    std::unique_ptr<GoogleOAuthClient> m_signIn;
    std::unique_ptr<FakeGoogleCalendar> m_calendar;
    std::unique_ptr<GoogleCalendarAPI> m_api;
    std::unique_ptr<GoogleSync> m_sync;
    std::unique_ptr<EventStore> m_store;

    void runSync() { QCoro::waitFor(m_store->sync()); }

    // The Authorization headers of the calendar requests since the last call.
    QList<QByteArray> calendarAuthorizations()
    {
        QList<QByteArray> headers;
        for (const FakeGoogleCalendar::Request &request : m_calendar->requests())
            headers.append(request.header("Authorization").value_or(QByteArray()));
        m_calendar->clearRequests();
        return headers;
    }

private slots:
    void init()
    {
        Clock::setShared(&m_clock);
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(
                std::make_unique<SqlitePreferenceBackend>(m_dir->filePath(u"prefs.sqlite"_qs)));
        m_oauth = std::make_unique<FakeGoogleOAuth>();
        m_oauth->setExpiresIn(3600);
        m_browser = std::make_unique<FakeBrowser>();
        m_secrets = std::make_unique<MemorySecretStore>();
        m_signIn = std::make_unique<GoogleOAuthClient>(m_oauth->config(), *m_secrets);
        m_signIn->setBrowserOpener(m_browser->opener());
        m_calendar = std::make_unique<FakeGoogleCalendar>();
        m_calendar->addEvent(FakeGoogleCalendar::timedEvent(u"Standup"_qs, u"2024-10-07T09:00:00Z"_qs,
                                                            u"2024-10-07T09:15:00Z"_qs));
        m_api = std::make_unique<GoogleCalendarAPI>(m_calendar->rootUrl(), m_signIn.get());
        m_sync = std::make_unique<GoogleSync>(*m_api, *m_signIn);
        m_store = std::make_unique<EventStore>(*m_preferences, nullptr, m_dir->filePath(u"r"_qs));
        m_store->setSignInClient(m_signIn.get());
        m_store->setSynchroniser(m_sync.get());

        const GoogleSignInClient::Result signedIn =
                awaitTask(m_signIn->signIn(nullptr, {u"https://www.googleapis.com/auth/calendar.events"_qs}));
        QVERIFY(std::holds_alternative<GoogleUser>(signedIn));
    }

    void cleanup()
    {
        m_store.reset();
        m_sync.reset();
        m_api.reset();
        m_signIn.reset();
        Clock::setShared(nullptr);
    }

    void anExpiredAccessTokenIsRefreshedBeforeTheCalendarRequests()
    {
        const QByteArray first = "Bearer " + m_oauth->lastAccessToken().toUtf8();
        runSync();
        QCOMPARE(m_store->lastSyncError(), std::nullopt);
        const QList<QByteArray> before = calendarAuthorizations();
        QVERIFY(!before.isEmpty());
        QCOMPARE(before, QList<QByteArray>(before.size(), first));

        m_clock.advance(3600);
        runSync();

        QCOMPARE(m_store->lastSyncError(), std::nullopt);
        const QByteArray second = "Bearer " + m_oauth->lastAccessToken().toUtf8();
        QVERIFY(second != first);
        const QList<QByteArray> after = calendarAuthorizations();
        QVERIFY(!after.isEmpty());
        QCOMPARE(after, QList<QByteArray>(after.size(), second));
        QCOMPARE(m_oauth->requestCount(FakeGoogleOAuth::tokenPath), 2); // the code exchange, one refresh
    }

    void aRevokedSignInEndsWithAClearMessage()
    {
        m_oauth->revoke(m_oauth->lastRefreshToken());
        m_clock.advance(3600);

        runSync();

        QCOMPARE(m_store->lastSyncError(),
                 u"Your Google sign-in has expired or was revoked. Sign in with Google again to sync."_qs);
        QVERIFY(!m_signIn->hasSignedInUser());
        QVERIFY(!m_secrets->secret());
        QCOMPARE(m_calendar->requests().size(), 0);
    }
};

QTEST_MAIN(TestGoogleSignInSync)
#include "test_googlesignin_sync.moc"
