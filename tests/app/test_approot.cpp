#include "approot.h"
#include "editortestsupport.h"
#include "eventstore.h"
#include "fakegooglesignin.h"
#include "memorypreferencebackend.h"
#include "userstore.h"

#include <QStandardPaths>
#include <QTest>

// The root's wiring of the user store: restoring the Google sign-in at the window's first
// appearance, a synchronisation after it, and the delete-account sequence.
class TestAppRoot : public QObject
{
    Q_OBJECT

    CountingNotificationCenter m_notifications;
    std::unique_ptr<FakeGoogleSignInClient> m_google;
    std::unique_ptr<Preferences> m_preferences;

    static GoogleUser googleUser()
    {
        GoogleUser user = FakeGoogleSignInClient::user(QStringLiteral("ada@gmail.com"));
        user.profile->name = QStringLiteral("Ada");
        return user;
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        NotificationCenter::setShared(&m_notifications);
    }
    void cleanupTestCase() { NotificationCenter::setShared(nullptr); }

    void init()
    {
        m_google = std::make_unique<FakeGoogleSignInClient>();
        // Token requests fail, so a synchronisation stops before it reaches the network.
        m_google->setRefreshError(GoogleSignInError{GoogleSignInError::unknownCode, QStringLiteral("offline")});
        GoogleSignInClient::setShared(m_google.get());
        m_preferences = std::make_unique<Preferences>(std::make_unique<MemoryPreferenceBackend>());
    }
    void cleanup() { GoogleSignInClient::setShared(nullptr); }

    void startingSignedOutRestoresAndStaysOnTheLoginScreen()
    {
        AppRoot root(*m_preferences);
        root.windowAppeared();
        QTRY_COMPARE(m_google->restoreCount(), 1);
        QVERIFY(!root.userStore()->isLoggedIn());
        QCOMPARE(m_google->refreshCount(), 0); // the synchronisation found nobody
    }

    // A restored Google sign-in signs in and is followed by a synchronisation.
    void restoredGoogleSignInSynchronises()
    {
        m_google->setRestoreResult(googleUser());
        AppRoot root(*m_preferences);
        root.windowAppeared();
        QTRY_VERIFY(root.userStore()->isLoggedIn());
        QCOMPARE(root.userStore()->profile().name, QStringLiteral("Ada"));
        QTRY_VERIFY(m_google->refreshCount() >= 1);
        QTRY_COMPARE(root.eventStore()->lastSyncError(), std::optional<QString>(QStringLiteral("offline")));
    }

    void deleteAccountLeavesNoDayloomKey()
    {
        AppRoot root(*m_preferences);
        root.windowAppeared();
        root.userStore()->continueWithoutGoogle(QStringLiteral("Ada"), QString());
        CalendarEvent event;
        event.id = QStringLiteral("E1");
        root.eventStore()->add(event);

        root.deleteAccountAndData();
        QVERIFY(!root.userStore()->isLoggedIn());
        QVERIFY(root.eventStore()->events().isEmpty());
        const QStringList keys = m_preferences->allKeys();
        QVERIFY2(std::none_of(keys.begin(), keys.end(), [](const QString &k) { return k.startsWith(u"dayloom."); }),
                 qPrintable(keys.join(u", ")));
        QCOMPARE(m_google->disconnectCount(), 1);
    }
};

QTEST_MAIN(TestAppRoot)
#include "test_approot.moc"
