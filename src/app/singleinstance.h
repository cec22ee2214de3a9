#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <memory>

// Keeps one running Dayloom per data directory. The first instance holds a lock file and listens
// on a local socket; a later one finds the lock taken, asks the first to come to the front and
// is told to exit, so two sets of stores never write the same data.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    // `key` names the data being guarded; the lock and socket are derived from it.
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the one instance; false when another one runs (it has then been
    // asked to activate its window).
    bool claim();

    static QString keyForDataDirectory(const QString &dataDirectory);

signals:
    // Another launch asked this instance to bring its window to the front.
    void activationRequested();

private:
    bool notifyRunningInstance() const;

    QString m_serverName;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
};
