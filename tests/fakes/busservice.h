#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

// Waits until `process`, a stand-in for a desktop service, has taken `service` on the session
// bus. False when the process ended first or after about ten seconds.
inline bool waitForBusService(const QProcess &process, const QString &service)
{
    for (int i = 0; i < 200 && process.state() != QProcess::NotRunning; ++i) {
        if (QDBusConnection::sessionBus().interface()->isServiceRegistered(service))
            return true;
        QTest::qWait(50);
    }
    return false;
}
