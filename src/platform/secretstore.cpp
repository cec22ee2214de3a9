#include "secretstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <QCoro/QCoroSignal>

#include <qt6keychain/keychain.h>

namespace {

enum class KeyringStatus {
    Ok,
    NotFound,    // the keyring answered and holds nothing under the key
    Unavailable, // no keyring answered: the fallback file takes over
    Failed,      // the keyring answered with an error (e.g. the user refused to unlock it)
};

// QtKeychain reports a missing or unreachable Secret Service as NoBackendAvailable or, through
// libsecret, as OtherError ("Could not connect", "The name org.freedesktop.secrets was not
// provided by any .service files", or a keyring started on demand without a login collection)
// or AccessDenied. Each of them means that no keyring can keep the secret.
KeyringStatus statusOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return KeyringStatus::Ok;
    case QKeychain::EntryNotFound:
        return KeyringStatus::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
    case QKeychain::OtherError:
    case QKeychain::AccessDenied:
        return KeyringStatus::Unavailable;
    case QKeychain::AccessDeniedByUser:
    case QKeychain::CouldNotDeleteEntry:
        return KeyringStatus::Failed;
    }
    return KeyringStatus::Failed;
}

// Runs a job started here and owned by the caller; QtKeychain jobs start on the next turn of
// the event loop, so the wait for `finished` cannot miss it.
QCoro::Task<> runJob(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.start();
    co_await qCoro(&job, &QKeychain::Job::finished);
}

} // namespace

// What the keyring said about one operation.
struct KeychainSecretStore::KeyringAnswer
{
    KeyringStatus status = KeyringStatus::Failed;
    QByteArray data;
    QString message;
};

KeychainSecretStore::KeychainSecretStore(QString service, QString key, QString fallbackFilePath)
    : m_service(std::move(service)), m_key(std::move(key)), m_fallbackFilePath(std::move(fallbackFilePath))
{
}

QCoro::Task<SecretStore::ReadResult> KeychainSecretStore::read()
{
    const KeyringAnswer keyring = co_await readKeyring();
    switch (keyring.status) {
    case KeyringStatus::Ok:
        // The keyring holds the secret: a plaintext copy from an earlier run must not linger.
        removeFallbackFile();
        co_return ReadResult::found(keyring.data);
    case KeyringStatus::NotFound: {
        // Stored while no keyring ran? Then it moves into the keyring if that works now. (A
        // keyring without a usable collection also reports "not found"; its write fails.)
        const ReadResult file = readFallbackFile();
        if (file.value) {
            const KeyringAnswer moved = co_await writeKeyring(*file.value);
            if (moved.status == KeyringStatus::Ok)
                removeFallbackFile();
            else
                warnAboutFallbackFile();
        }
        co_return file;
    }
    case KeyringStatus::Unavailable: {
        const ReadResult file = readFallbackFile();
        if (file.value)
            warnAboutFallbackFile();
        co_return file;
    }
    case KeyringStatus::Failed:
        break;
    }
    co_return ReadResult::failed(keyring.message);
}

QCoro::Task<std::optional<QString>> KeychainSecretStore::write(QByteArray secret)
{
    const KeyringAnswer keyring = co_await writeKeyring(secret);
    if (keyring.status == KeyringStatus::Ok) {
        removeFallbackFile();
        co_return std::nullopt;
    }
    if (keyring.status != KeyringStatus::Unavailable)
        co_return keyring.message;
    std::optional<QString> error = writeFallbackFile(secret);
    if (!error)
        warnAboutFallbackFile();
    co_return error;
}

QCoro::Task<> KeychainSecretStore::remove()
{
    co_await removeFromKeyring();
    removeFallbackFile();
}

QCoro::Task<KeychainSecretStore::KeyringAnswer> KeychainSecretStore::readKeyring()
{
    QKeychain::ReadPasswordJob job(m_service);
    job.setKey(m_key);
    co_await runJob(job);
    co_return KeyringAnswer{statusOf(job.error()), job.binaryData(), job.errorString()};
}

QCoro::Task<KeychainSecretStore::KeyringAnswer> KeychainSecretStore::writeKeyring(QByteArray secret)
{
    QKeychain::WritePasswordJob job(m_service);
    job.setKey(m_key);
    job.setBinaryData(secret);
    co_await runJob(job);
    co_return KeyringAnswer{statusOf(job.error()), QByteArray(), job.errorString()};
}

QCoro::Task<KeychainSecretStore::KeyringAnswer> KeychainSecretStore::removeFromKeyring()
{
    QKeychain::DeletePasswordJob job(m_service);
    job.setKey(m_key);
    co_await runJob(job);
    co_return KeyringAnswer{statusOf(job.error()), QByteArray(), job.errorString()};
}

SecretStore::ReadResult KeychainSecretStore::readFallbackFile()
{
    QFile file(m_fallbackFilePath);
    if (!file.exists())
        return ReadResult::nothing();
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::failed(
                QStringLiteral("The file %1 couldn’t be read: %2").arg(m_fallbackFilePath, file.errorString()));
    return ReadResult::found(file.readAll());
}

std::optional<QString> KeychainSecretStore::writeFallbackFile(const QByteArray &secret)
{
    const auto failure = [this](const QString &reason) {
        return QStringLiteral("No keyring is available and the file %1 couldn’t be written: %2")
                .arg(m_fallbackFilePath, reason);
    };
    if (!QDir().mkpath(QFileInfo(m_fallbackFilePath).absolutePath()))
        return failure(QStringLiteral("its folder couldn’t be created"));
    QSaveFile file(m_fallbackFilePath);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    // Owner-only before the first byte goes in; the new file then replaces the old one at once.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return failure(QStringLiteral("its permissions couldn’t be restricted"));
    }
    if (file.write(secret) != secret.size() || !file.commit())
        return failure(file.errorString());
    return std::nullopt;
}

void KeychainSecretStore::removeFallbackFile()
{
    QFile::remove(m_fallbackFilePath);
}

void KeychainSecretStore::warnAboutFallbackFile()
{
    if (std::exchange(m_warned, true))
        return;
    qWarning("No keyring (Secret Service) is available, so the secret is stored in the file %s, readable only by you.",
             qPrintable(QDir::toNativeSeparators(m_fallbackFilePath)));
}
