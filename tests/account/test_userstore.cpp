#include "accountdeletion.h"
#include "applecalendarsync.h"
#include "eventstore.h"
#include "fakegooglesignin.h"
#include "memorypreferencebackend.h"
#include "photostripstore.h"
#include "userstore.h"
#include "vdircalendardatabase.h"

#include <QBuffer>
#include <QDir>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#define JSON(...) #__VA_ARGS__

namespace {

QByteArray pngBytes(QColor colour)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Serves account pictures: "/<name>=s200" answers the picture registered under <name>, anything
// else a 404 page.
class PictureServer
{
public:
    PictureServer()
    {
        m_server.setMissingHandler([this](const QHttpServerRequest &request, QHttpServerResponder &&responder) {
            m_requested.append(request.url().path());
            const QString path = request.url().path();
            const QString name = path.mid(1).section(QLatin1Char('='), 0, 0);
            if (path.endsWith(QStringLiteral("=s200")) && m_pictures.contains(name))
                responder.write(m_pictures.value(name), "image/png");
            else
                responder.write("<html>Not found</html>", "text/html", QHttpServerResponder::StatusCode::NotFound);
        });
        m_port = m_server.listen(QHostAddress::LocalHost);
    }

    void add(const QString &name, const QByteArray &bytes) { m_pictures.insert(name, bytes); }
    // The picture's address as Google gives it, at its default size.
    QUrl pictureUrl(const QString &name) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2=s96-c").arg(m_port).arg(name));
    }
    QStringList requested() const { return m_requested; }

private:
    QHttpServer m_server;
    quint16 m_port = 0;
    QHash<QString, QByteArray> m_pictures;
    QStringList m_requested;
};

GoogleUser googleUser(const std::optional<GoogleProfile> &profile)
{
    GoogleUser user;
    user.userId = QStringLiteral("google-1");
    user.accessToken = QStringLiteral("token");
    user.profile = profile;
    return user;
}

} // namespace

class TestUserStore : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<FakeGoogleSignInClient> m_google;

    std::unique_ptr<UserStore> openStore() const
    {
        return std::make_unique<UserStore>(*m_preferences, *m_google, nullptr, recoveryFolder());
    }
    QString recoveryFolder() const { return m_dir->filePath(QStringLiteral("Recovered")); }
    std::optional<UserProfile> storedProfile() const
    {
        const auto bytes = m_preferences->bytes(UserStore::profileKey);
        return bytes ? UserProfile::decode(*bytes) : std::nullopt;
    }

    // Signs in with Google through the store and waits for the photo download to end.
    static void signInWithGoogle(UserStore &store, QStringList *errors = nullptr)
    {
        QSignalSpy downloaded(&store, &UserStore::photoDownloadFinished);
        const bool wasLoggedIn = store.isLoggedIn();
        store.signInWithGoogle(nullptr, [errors](const QString &message) {
            if (errors)
                errors->append(message);
        });
        if (store.isLoggedIn() && !wasLoggedIn)
            QVERIFY(downloaded.count() == 1 || downloaded.wait(5000));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(std::make_unique<MemoryPreferenceBackend>());
        m_google = std::make_unique<FakeGoogleSignInClient>();
    }

    void profileStoredForm_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("hasPhoto");
        QTest::newRow("with photo") << QByteArray(JSON({"name":"Ada","email":"a@x.org","photoData":"AQID"})) << true << "Ada" << true;
        QTest::newRow("without photoData") << QByteArray(JSON({"name":"Ada","email":"a@x.org"})) << true << "Ada" << false;
        QTest::newRow("null photoData") << QByteArray(JSON({"name":"","email":"","photoData":null})) << true << "" << false;
        QTest::newRow("without email") << QByteArray(JSON({"name":"Ada"})) << false << "" << false;
        QTest::newRow("name not text") << QByteArray(JSON({"name":3,"email":""})) << false << "" << false;
        QTest::newRow("photo not Base64") << QByteArray(JSON({"name":"","email":"","photoData":"*not*"})) << false << "" << false;
        QTest::newRow("not an object") << QByteArray(JSON(["Ada"])) << false << "" << false;
        QTest::newRow("not JSON") << QByteArray("{\"name\":") << false << "" << false;
    }
    void profileStoredForm()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, readable);
        QFETCH(QString, name);
        QFETCH(bool, hasPhoto);
        const auto profile = UserProfile::decode(json);
        QCOMPARE(profile.has_value(), readable);
        if (!profile)
            return;
        QCOMPARE(profile->name, name);
        QCOMPARE(profile->hasPhoto(), hasPhoto);
        QCOMPARE(UserProfile::decode(profile->encode()), profile);
    }

    void encodesInKeyOrderWithBase64Photo()
    {
        const UserProfile profile{QStringLiteral("Zoë \"Z\""), QStringLiteral("z@x.org"), QByteArray("\x01\x02\x03", 3)};
        QCOMPARE(profile.encode(), QByteArray(JSON({"name":"Zoë \"Z\"","email":"z@x.org","photoData":"AQID"})));
        QCOMPARE(UserProfile{}.encode(), QByteArray(JSON({"name":"","email":""})));
    }

    void restoresProfileAndSignInFlag()
    {
        const UserProfile profile{QStringLiteral("Ada"), QStringLiteral("a@x.org"), QByteArray("jpeg")};
        m_preferences->setBytes(UserStore::profileKey, profile.encode());
        m_preferences->setBool(UserStore::loggedInKey, true);
        auto store = openStore();
        QCOMPARE(store->profile(), profile);
        QVERIFY(store->isLoggedIn());

        m_preferences->remove(UserStore::loggedInKey);
        QVERIFY(!openStore()->isLoggedIn());
    }

    // The unreadable bytes survive in the recovery folder although the next save replaces them.
    void keepsAnUnreadableProfileAside()
    {
        const QByteArray unreadable = JSON({"name":"Ada","photoData":"AQID"});
        m_preferences->setBytes(UserStore::profileKey, unreadable);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("stored profile could not be read")));
        auto store = openStore();
        QCOMPARE(store->profile(), UserProfile());
        QCOMPARE(m_preferences->bytes(UserStore::profileKey), unreadable); // nothing written yet

        store->continueWithoutGoogle(QStringLiteral("You"), QString());
        const QStringList copies = QDir(recoveryFolder()).entryList(QDir::Files);
        QCOMPARE(copies.size(), 1);
        QFile copy(QDir(recoveryFolder()).filePath(copies.first()));
        QVERIFY(copy.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), unreadable);
    }

    // Texts as typed (spaces kept), an existing photo kept, the flag written, announced once.
    void continuesWithoutGoogle()
    {
        auto store = openStore();
        store->setProfilePhotoData(QByteArray("photo"));
        QSignalSpy loggedIn(store.get(), &UserStore::isLoggedInChanged);
        store->continueWithoutGoogle(QStringLiteral("   "), QStringLiteral(" A@x.org "));
        QCOMPARE(store->profile(), (UserProfile{QStringLiteral("   "), QStringLiteral(" A@x.org "), QByteArray("photo")}));
        QCOMPARE(storedProfile(), store->profile());
        QVERIFY(store->isLoggedIn());
        QCOMPARE(m_preferences->optionalBool(UserStore::loggedInKey), std::optional<bool>(true));
        QCOMPARE(loggedIn.count(), 1);
        QCOMPARE(m_google->signInCount(), 0);
    }

    // Google's name, e-mail and picture replace what was typed and chosen before.
    void googleSignInReplacesProfile()
    {
        PictureServer pictures;
        const QByteArray picture = pngBytes(Qt::red);
        pictures.add(QStringLiteral("ada"), picture);
        auto store = openStore();
        store->setProfile({QStringLiteral("typed"), QStringLiteral("typed@x.org"), QByteArray("chosen")});
        m_google->setSignInResult(googleUser(GoogleProfile{QStringLiteral("Ada Lovelace"), QStringLiteral("ada@gmail.com"),
                                                           pictures.pictureUrl(QStringLiteral("ada"))}));
        QStringList errors;
        signInWithGoogle(*store, &errors);

        QVERIFY(errors.isEmpty());
        QVERIFY(store->isLoggedIn());
        QCOMPARE(m_google->lastScopes(), QStringList{UserStore::calendarEventsScope});
        QCOMPARE(pictures.requested(), QStringList{QStringLiteral("/ada=s200")});
        QCOMPARE(store->profile(), (UserProfile{QStringLiteral("Ada Lovelace"), QStringLiteral("ada@gmail.com"), picture}));
        QCOMPARE(storedProfile(), store->profile());
    }

    // An error page or a missing picture never replaces the photo; an account without a profile
    // keeps the typed name and e-mail but signs in.
    void googleSignInKeepsWhatGoogleDoesNotGive_data()
    {
        QTest::addColumn<bool>("withProfile");
        QTest::addColumn<QString>("picture"); // "" for none
        QTest::newRow("no profile") << false << "";
        QTest::newRow("no picture") << true << "";
        QTest::newRow("picture answers 404") << true << "gone";
    }
    void googleSignInKeepsWhatGoogleDoesNotGive()
    {
        QFETCH(bool, withProfile);
        QFETCH(QString, picture);
        PictureServer pictures;
        auto store = openStore();
        const UserProfile before{QStringLiteral("typed"), QStringLiteral("typed@x.org"), QByteArray("chosen")};
        store->setProfile(before);
        const GoogleProfile profile{QStringLiteral("Ada"), QStringLiteral("ada@gmail.com"),
                                    picture.isEmpty() ? QUrl() : pictures.pictureUrl(picture)};
        m_google->setSignInResult(googleUser(withProfile ? std::optional(profile) : std::nullopt));
        signInWithGoogle(*store);

        QVERIFY(store->isLoggedIn());
        QCOMPARE(store->profile().photoData, before.photoData);
        QCOMPARE(store->profile().name, withProfile ? profile.name : before.name);
        QCOMPARE(store->profile().email, withProfile ? profile.email : before.email);
    }

    void googleSignInErrors_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("errors");
        QTest::newRow("cancelled") << GoogleSignInError::cancelledCode << QStringList();
        QTest::newRow("failed") << GoogleSignInError::unknownCode
                                << QStringList{u"Google sign-in failed: The token request failed. Also double check "
                                               u"your Client ID and URL scheme in the Info tab."_qs};
    }
    void googleSignInErrors()
    {
        QFETCH(int, code);
        QFETCH(QStringList, errors);
        auto store = openStore();
        m_google->setSignInResult(GoogleSignInError{code, QStringLiteral("The token request failed.")});
        QStringList shown;
        signInWithGoogle(*store, &shown);
        QCOMPARE(shown, errors);
        QVERIFY(!store->isLoggedIn());
        QVERIFY(!m_preferences->contains(UserStore::profileKey));
    }

    void restoreCallsItsCompletionOnce()
    {
        auto store = openStore();
        int completions = 0;
        store->restorePreviousSignIn([&] { ++completions; });
        QTRY_COMPARE(completions, 1);
        QVERIFY(!store->isLoggedIn());

        m_google->setRestoreResult(googleUser(GoogleProfile{QStringLiteral("Ada"), QStringLiteral("ada@gmail.com"), QUrl()}));
        store->restorePreviousSignIn([&] {
            ++completions;
            QVERIFY(store->isLoggedIn()); // the user is applied before the completion runs
        });
        QTRY_COMPARE(completions, 2);
        QCOMPARE(store->profile().email, QStringLiteral("ada@gmail.com"));
        QTest::qWait(20);
        QCOMPARE(completions, 2);
    }

    // Sign-out keeps the profile and everything else; a restart shows the login screen.
    void signOutKeepsTheProfile()
    {
        auto store = openStore();
        m_google->setSignInResult(googleUser(GoogleProfile{QStringLiteral("Ada"), QStringLiteral("ada@gmail.com"), QUrl()}));
        signInWithGoogle(*store);
        store->setProfilePhotoData(QByteArray("photo"));

        store->signOut();
        QVERIFY(!store->isLoggedIn());
        QVERIFY(!m_google->hasSignedInUser());
        QCOMPARE(m_preferences->optionalBool(UserStore::loggedInKey), std::optional<bool>(false));
        store.reset();

        auto restarted = openStore();
        QVERIFY(!restarted->isLoggedIn());
        QCOMPARE(restarted->profile(), (UserProfile{QStringLiteral("Ada"), QStringLiteral("ada@gmail.com"), QByteArray("photo")}));
    }

    // Every store of the sequence is emptied; Google is disconnected, then signed out.
    void deleteAccountErasesEverything()
    {
        auto store = openStore();
        EventStore events(*m_preferences, nullptr, recoveryFolder());
        events.setSignInClient(m_google.get());
        PhotoStripStore photos(*m_preferences, m_dir->filePath(QStringLiteral("PhotoStrip")));
        VdirCalendarDatabase database(m_dir->filePath(QStringLiteral("calendars")), m_dir->filePath(QStringLiteral("access")));
        AppleCalendarSync bridge(*m_preferences, database);
        bridge.attach(events);

        m_google->setSignInResult(googleUser(GoogleProfile{QStringLiteral("Ada"), QStringLiteral("ada@gmail.com"), QUrl()}));
        signInWithGoogle(*store);
        store->setProfilePhotoData(pngBytes(Qt::blue));
        CalendarEvent event;
        event.id = QStringLiteral("E1");
        event.title = QStringLiteral("Dentist");
        events.add(event);
        events.setPendingDeletes({QStringLiteral("google-9")});
        QCoro::waitFor(photos.importPhotos({std::make_shared<MemoryPhotoPickerItem>(pngBytes(Qt::green)),
                                            std::make_shared<MemoryPhotoPickerItem>(pngBytes(Qt::gray))}));
        QCOMPARE(QDir(photos.folder()).entryList(QDir::Files).size(), 2);
        m_preferences->setBool(QStringLiteral("dayloom.showHolidays"), false);
        m_preferences->setString(QStringLiteral("other.key"), QStringLiteral("kept"));

        AccountDeletion::deleteAccountAndData(events, photos, bridge, *store);

        QVERIFY(events.events().isEmpty());
        QVERIFY(events.pendingDeletes().isEmpty());
        QVERIFY(photos.photos().isEmpty());
        QVERIFY(QDir(photos.folder()).entryList(QDir::Files).isEmpty());
        QVERIFY(!store->isLoggedIn());
        QCOMPARE(store->profile(), UserProfile());
        QCOMPARE(m_google->disconnectCount(), 1);
        QTRY_VERIFY(!m_google->hasSignedInUser());
        const QStringList keys = m_preferences->allKeys();
        QVERIFY2(std::none_of(keys.begin(), keys.end(), [](const QString &k) { return k.startsWith(u"dayloom."); }),
                 qPrintable(keys.join(u", ")));
        QVERIFY(keys.contains(QStringLiteral("other.key")));

        store->continueWithoutGoogle(QStringLiteral("Bea"), QString());
        QCOMPARE(store->profile(), (UserProfile{QStringLiteral("Bea"), QString(), std::nullopt}));
    }

    // A disconnect that fails still signs out and erases locally.
    void deleteAccountWhenDisconnectFails()
    {
        auto store = openStore();
        m_google->setSignInResult(googleUser(GoogleProfile{QStringLiteral("Ada"), QStringLiteral("ada@gmail.com"), QUrl()}));
        signInWithGoogle(*store);
        m_google->setDisconnectError(GoogleSignInError{GoogleSignInError::unknownCode, QStringLiteral("offline")});
        store->deleteAccount();
        QTRY_VERIFY(!m_google->hasSignedInUser());
        QCOMPARE(m_google->signOutCount(), 1);
        QVERIFY(!m_preferences->contains(UserStore::profileKey));
    }

    void googlePictureAtSize_data()
    {
        QTest::addColumn<QUrl>("picture");
        QTest::addColumn<QUrl>("sized");
        QTest::newRow("size and crop") << QUrl(u"https://lh3.googleusercontent.com/a/ACg8=s96-c"_qs)
                                       << QUrl(u"https://lh3.googleusercontent.com/a/ACg8=s200"_qs);
        QTest::newRow("no suffix") << QUrl(u"https://lh3.googleusercontent.com/a-/AOh14"_qs)
                                   << QUrl(u"https://lh3.googleusercontent.com/a-/AOh14=s200"_qs);
        QTest::newRow("width and height") << QUrl(u"https://lh3.googleusercontent.com/p/x=w64-h64"_qs)
                                          << QUrl(u"https://lh3.googleusercontent.com/p/x=s200"_qs);
        QTest::newRow("none") << QUrl() << QUrl();
    }
    void googlePictureAtSize()
    {
        QFETCH(QUrl, picture);
        QFETCH(QUrl, sized);
        QCOMPARE((GoogleProfile{QString(), QString(), picture}.imageUrl(200)), sized);
    }
};

QTEST_GUILESS_MAIN(TestUserStore)
#include "test_userstore.moc"
