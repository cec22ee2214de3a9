#include "singleinstance.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void aSecondLaunchActivatesTheFirstAndStandsDown()
    {
        QTemporaryDir dataDir;
        const QString key = SingleInstance::keyForDataDirectory(dataDir.path());
        SingleInstance first(key);
        QVERIFY(first.claim());
        QSignalSpy activated(&first, &SingleInstance::activationRequested);

        // The second launch blocks while it talks to the first, so it runs on its own thread.
        bool secondClaimed = true;
        std::unique_ptr<QThread> launch(QThread::create([&] { secondClaimed = SingleInstance(key).claim(); }));
        launch->start();
        QTRY_COMPARE(activated.count(), 1);
        QVERIFY(launch->wait(5000));
        QVERIFY(!secondClaimed);
    }

    void otherDataDirectoriesDoNotCollide()
    {
        QTemporaryDir a, b;
        QVERIFY(SingleInstance::keyForDataDirectory(a.path()) != SingleInstance::keyForDataDirectory(b.path()));
        SingleInstance first(SingleInstance::keyForDataDirectory(a.path()));
        SingleInstance second(SingleInstance::keyForDataDirectory(b.path()));
        QVERIFY(first.claim());
        QVERIFY(second.claim());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_singleinstance.moc"
