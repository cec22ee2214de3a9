#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int kConnectTimeoutMs = 2000;
const char kActivateMessage[] = "activate\n";

QString lockPath(const QString &serverName)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(serverName + QStringLiteral(".lock"));
}
}

QString SingleInstance::keyForDataDirectory(const QString &dataDirectory)
{
    const QByteArray hash = QCryptographicHash::hash(QDir(dataDirectory).absolutePath().toUtf8(),
                                                     QCryptographicHash::Sha256);
    return QStringLiteral("dayloom-") + QString::fromLatin1(hash.toHex().left(16));
}

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent), m_serverName(key), m_lock(lockPath(key))
{
    // A lock left by a crashed instance is taken over: QLockFile checks whether its owner lives.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (!m_lock.tryLock(0)) {
        notifyRunningInstance();
        return false;
    }
    // We hold the lock, so a socket of that name is left over from a crash.
    QLocalServer::removeServer(m_serverName);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("activate"))
                    emit activationRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    if (!m_server->listen(m_serverName))
        qWarning("Dayloom: cannot listen for later launches (%s).", qUtf8Printable(m_server->errorString()));
    return true;
}

bool SingleInstance::notifyRunningInstance() const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kActivateMessage);
    socket.waitForBytesWritten(kConnectTimeoutMs);
    socket.waitForDisconnected(kConnectTimeoutMs);
    return true;
}
