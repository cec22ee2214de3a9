#include "secretstore.h"
#include "busservice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <QCoro/QCoroTask>

#include <qt6keychain/keychain.h>

#include <sys/stat.h>

namespace {

const QString kService = QStringLiteral("Dayloom test");
const QString kSecretsService = QStringLiteral("org.freedesktop.secrets");
// Set for a copy of this program that stores a secret with whatever session bus it was given.
const char *const kChildFileVariable = "DAYLOOM_TEST_SECRET_FILE";
const QByteArray kChildSecret = "refresh+token/child";
const QByteArray kWarning = "No keyring (Secret Service) is available";

// gnome-keyring-daemon on the test's private session bus, its login keyring unlocked with a
// throwaway password and its files in a temporary home.
class TestKeyring
{
public:
    explicit TestKeyring(const QString &home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + u"/data");
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + u"/cache");
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        m_process.setProcessEnvironment(environment);
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("gnome-keyring-daemon"),
                        {QStringLiteral("--foreground"), QStringLiteral("--unlock"), QStringLiteral("--components=secrets")});
        m_process.write("pw");
        m_process.closeWriteChannel();
    }
    ~TestKeyring()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

    bool waitUntilServing() const { return waitForBusService(m_process, kSecretsService); }

private:
    QProcess m_process;
};

template <typename T>
T await(QCoro::Task<T> &&task)
{
    return QCoro::waitFor(std::move(task));
}

void await(QCoro::Task<> &&task)
{
    QCoro::waitFor(std::move(task));
}

// What the keyring itself holds under the key, read past the store.
std::optional<QByteArray> keyringValue(const QString &key)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setAutoDelete(false);
    job.setKey(key);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() != QKeychain::NoError)
        return std::nullopt;
    return job.binaryData();
}

// Files under `folder` whose bytes contain `needle`.
QStringList filesContaining(const QString &folder, const QByteArray &needle)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(needle))
            found.append(file.fileName());
    }
    return found;
}

int modeOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        file.write(bytes);
    }
}

// The copy of this program started by the fallback test: stores the secret twice and reads it
// back. Exit code 0 when that worked.
int storeSecretAsChild(const QString &fallbackFile)
{
    KeychainSecretStore store(kService, QStringLiteral("child"), fallbackFile);
    for (int i = 0; i < 2; ++i) {
        if (const std::optional<QString> error = await(store.write(kChildSecret))) {
            qCritical("write failed: %s", qPrintable(*error));
            return 2;
        }
    }
    const SecretStore::ReadResult read = await(store.read());
    return read.value == kChildSecret ? 0 : 3;
}

}

class TestKeychainSecretStore : public QObject
{
    Q_OBJECT

    QTemporaryDir m_keyringHome;
    std::unique_ptr<TestKeyring> m_keyring;
    QString m_dataDir;

    QString fallbackFile() const { return m_dataDir + u"/google-signin.secret"; }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(m_dataDir).removeRecursively();
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        // Started before any store runs, so that no keyring is started on demand elsewhere.
        m_keyring = std::make_unique<TestKeyring>(m_keyringHome.path());
        QVERIFY2(m_keyring->waitUntilServing(), "gnome-keyring-daemon did not come up");
    }

    void cleanupTestCase()
    {
        m_keyring.reset();
        QDir(m_dataDir).removeRecursively();
    }

    void init() { QDir(m_dataDir).removeRecursively(); }

    void theSecretLivesInTheKeyringOnly()
    {
        KeychainSecretStore store(kService, QStringLiteral("round-trip"), fallbackFile());
        const QByteArray secret = "{\"refreshToken\":\"1//0secret+value\"}";

        QCOMPARE(await(store.write(secret)), std::nullopt);
        QCOMPARE(await(store.read()).value, secret);
        QCOMPARE(keyringValue(QStringLiteral("round-trip")), secret);
        QVERIFY(!QFile::exists(fallbackFile()));
        QCOMPARE(filesContaining(m_dataDir, "1//0secret+value"), QStringList());

        await(store.remove());
        const SecretStore::ReadResult removed = await(store.read());
        QVERIFY(removed.isNothing());
        QCOMPARE(keyringValue(QStringLiteral("round-trip")), std::nullopt);
        await(store.remove()); // removing nothing is fine
    }

    void aLeftoverFallbackFileDoesNotLinger()
    {
        // Read: the file's secret moves into the keyring.
        writeFile(fallbackFile(), "stored-offline");
        KeychainSecretStore store(kService, QStringLiteral("leftover"), fallbackFile());
        QCOMPARE(await(store.read()).value, QByteArray("stored-offline"));
        QVERIFY(!QFile::exists(fallbackFile()));
        QCOMPARE(keyringValue(QStringLiteral("leftover")), QByteArray("stored-offline"));

        // Write: a newer secret replaces it in the keyring and the file goes.
        writeFile(fallbackFile(), "older");
        QCOMPARE(await(store.write("newer")), std::nullopt);
        QVERIFY(!QFile::exists(fallbackFile()));
        QCOMPARE(await(store.read()).value, QByteArray("newer"));

        // Read while the keyring holds a value: the keyring wins and the file goes.
        writeFile(fallbackFile(), "stale");
        QCOMPARE(await(store.read()).value, QByteArray("newer"));
        QVERIFY(!QFile::exists(fallbackFile()));

        // Remove: neither keeps anything.
        writeFile(fallbackFile(), "stale");
        await(store.remove());
        QVERIFY(!QFile::exists(fallbackFile()));
        QVERIFY(await(store.read()).isNothing());
    }

    void withoutAKeyringTheSecretGoesToAnOwnerOnlyFile_data()
    {
        QTest::addColumn<bool>("ownBus");
        // The bus address leads nowhere.
        QTest::newRow("no session bus") << false;
        // A bus of its own where no keyring runs (one started on demand has no login keyring).
        QTest::newRow("session bus without keyring") << true;
    }

    void withoutAKeyringTheSecretGoesToAnOwnerOnlyFile()
    {
        QFETCH(bool, ownBus);
        QTemporaryDir childHome;
        const QString file = childHome.filePath(QStringLiteral("app data/google-signin.secret"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildFileVariable), file);
        environment.insert(QStringLiteral("HOME"), childHome.path());
        if (!ownBus)
            environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), u"unix:path="_qs + childHome.filePath(u"no-bus"_qs));
        QProcess child;
        child.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        if (ownBus)
            child.start(QStringLiteral("dbus-run-session"), {QStringLiteral("--"), QCoreApplication::applicationFilePath()});
        else
            child.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(child.waitForFinished(20000));
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, errors.constData());
        QVERIFY2(timer.elapsed() < 5000, "no keyring must not mean a long wait");

        QCOMPARE(errors.count(kWarning), 1);
        QVERIFY(errors.contains(file.toUtf8()));
        QCOMPARE(modeOf(file), 0600);
        QFile stored(file);
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), kChildSecret);

        // Later, with a keyring: the secret moves there and the file goes.
        KeychainSecretStore store(kService, QStringLiteral("child"), file);
        QCOMPARE(await(store.read()).value, kChildSecret);
        QVERIFY(!QFile::exists(file));
        await(store.remove());
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildFileVariable))
        return storeSecretAsChild(qEnvironmentVariable(kChildFileVariable));
    TestKeychainSecretStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_keychainsecretstore.moc"
