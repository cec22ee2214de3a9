#pragma once

#include "secretstore.h"

// A secret store in memory for tests: shared by the client instances of one "machine", with
// failures the test chooses.
class MemorySecretStore final : public SecretStore
{
public:
    QCoro::Task<ReadResult> read() override
    {
        // Copies: QCoro moves from an lvalue given to co_return.
        if (m_readError)
            co_return ReadResult::failed(QString(*m_readError));
        if (m_secret)
            co_return ReadResult::found(QByteArray(*m_secret));
        co_return ReadResult::nothing();
    }

    QCoro::Task<std::optional<QString>> write(QByteArray secret) override
    {
        ++m_writeCount;
        if (m_writeError)
            co_return std::optional<QString>(*m_writeError);
        m_secret = std::move(secret);
        co_return std::nullopt;
    }

    QCoro::Task<> remove() override
    {
        m_secret.reset();
        co_return;
    }

    const std::optional<QByteArray> &secret() const { return m_secret; }
    void setSecret(std::optional<QByteArray> secret) { m_secret = std::move(secret); }
    void setReadError(std::optional<QString> error) { m_readError = std::move(error); }
    void setWriteError(std::optional<QString> error) { m_writeError = std::move(error); }
    int writeCount() const { return m_writeCount; }

private:
    std::optional<QByteArray> m_secret;
    std::optional<QString> m_readError;
    std::optional<QString> m_writeError;
    int m_writeCount = 0;
};
