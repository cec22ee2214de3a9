#pragma once

#include <QByteArray>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// One secret value (the Google sign-in's refresh token and user record), read, replaced and
// removed as a whole. Every operation runs on the main thread.
class SecretStore
{
public:
    // What a read found: the stored bytes, nothing, or the error that stopped it.
    struct ReadResult
    {
        std::optional<QByteArray> value; // set when something is stored
        std::optional<QString> error;    // set when the read failed

        static ReadResult found(QByteArray bytes) { return {std::move(bytes), std::nullopt}; }
        static ReadResult nothing() { return {}; }
        static ReadResult failed(QString message) { return {std::nullopt, std::move(message)}; }

        bool isNothing() const { return !value && !error; }
    };

    virtual ~SecretStore() = default;

    virtual QCoro::Task<ReadResult> read() = 0;
    // Replaces the stored value; answers with the error when it could not be stored.
    virtual QCoro::Task<std::optional<QString>> write(QByteArray secret) = 0;
    // Afterwards nothing is stored; removing nothing is no error.
    virtual QCoro::Task<> remove() = 0;
};

// The secret in the desktop keyring (the Secret Service, through QtKeychain) under `service` and
// `key`. When no keyring answers, the secret goes to `fallbackFilePath` instead, a file only the
// user can read, and a warning on standard error says so. Once the keyring works again, a secret
// left in that file moves into the keyring and the file is removed.
class KeychainSecretStore final : public SecretStore
{
public:
    KeychainSecretStore(QString service, QString key, QString fallbackFilePath);

    QCoro::Task<ReadResult> read() override;
    QCoro::Task<std::optional<QString>> write(QByteArray secret) override;
    QCoro::Task<> remove() override;

    QString fallbackFilePath() const { return m_fallbackFilePath; }

private:
    struct KeyringAnswer;

    QCoro::Task<KeyringAnswer> readKeyring();
    QCoro::Task<KeyringAnswer> writeKeyring(QByteArray secret);
    QCoro::Task<KeyringAnswer> removeFromKeyring();
    ReadResult readFallbackFile();
    std::optional<QString> writeFallbackFile(const QByteArray &secret);
    void removeFallbackFile();
    void warnAboutFallbackFile();

    QString m_service;
    QString m_key;
    QString m_fallbackFilePath;
    bool m_warned = false;
};
