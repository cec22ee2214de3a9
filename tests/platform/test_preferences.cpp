#include "preferencebinding.h"
#include "preferences.h"
#include "sqlitepreferencebackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

std::unique_ptr<Preferences> openStore(const QString &path)
{
    return std::make_unique<Preferences>(std::make_unique<SqlitePreferenceBackend>(path));
}

// The child side of the crash test: rewrites a few large values forever, each value one repeated
// byte (its generation), until it is killed.
constexpr int kCrashKeys = 4;
constexpr int kCrashValueSize = 1 << 20;

int runWriterChild(const QString &path)
{
    auto store = openStore(path);
    for (int generation = 1;; ++generation) {
        for (int k = 0; k < kCrashKeys; ++k) {
            store->setBytes(QStringLiteral("dayloom.blob%1").arg(k), QByteArray(kCrashValueSize, char(generation % 251)));
            store->setInteger(QStringLiteral("dayloom.generation%1").arg(k), generation);
        }
        if (generation == 1)
            fprintf(stdout, "ready\n"), fflush(stdout);
    }
}

}

class TestPreferences : public QObject
{
    Q_OBJECT

public:
    QString path() const { return m_dir->filePath(QStringLiteral("prefs.sqlite")); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void typedValuesRoundTripThroughTheDatabase()
    {
        {
            auto store = openStore(path());
            QVERIFY(store->setBytes(u"dayloom.bytes"_qs, QByteArray("\x00\x01\xff", 3)));
            QVERIFY(store->setBytes(u"dayloom.emptyBytes"_qs, QByteArray()));
            QVERIFY(store->setBool(u"dayloom.flag"_qs, true));
            QVERIFY(store->setInteger(u"dayloom.minutes"_qs, -45));
            QVERIFY(store->setInteger(u"dayloom.big"_qs, Q_INT64_C(1) << 40));
            QVERIFY(store->setString(u"dayloom.email"_qs, u"zoë@example.com"_qs));
            QVERIFY(store->setStringList(u"dayloom.ids"_qs, {u"a"_qs, u""_qs, u"ç\"]"_qs}));
            QVERIFY(store->setStringList(u"dayloom.none"_qs, {}));
        }
        auto store = openStore(path());
        QCOMPARE(store->bytes(u"dayloom.bytes"_qs), QByteArray("\x00\x01\xff", 3));
        QCOMPARE(store->bytes(u"dayloom.emptyBytes"_qs), QByteArray());
        QCOMPARE(store->optionalBool(u"dayloom.flag"_qs), true);
        QCOMPARE(store->integer(u"dayloom.minutes"_qs), -45);
        QCOMPARE(store->integer(u"dayloom.big"_qs), Q_INT64_C(1) << 40);
        QCOMPARE(store->string(u"dayloom.email"_qs), u"zoë@example.com"_qs);
        QCOMPARE(store->stringList(u"dayloom.ids"_qs), QStringList({u"a"_qs, u""_qs, u"ç\"]"_qs}));
        QCOMPARE(store->stringList(u"dayloom.none"_qs), QStringList());
        QCOMPARE(store->allKeys().size(), 8);
    }

    void aValueOfAnotherTypeReadsAsMissing()
    {
        auto store = openStore(path());
        store->setString(u"dayloom.showHolidays"_qs, u"yes"_qs);
        store->setBool(u"dayloom.defaultReminder"_qs, true);
        QCOMPARE(store->optionalBool(u"dayloom.showHolidays"_qs), std::nullopt);
        QCOMPARE(store->boolValue(u"dayloom.showHolidays"_qs), false);
        QCOMPARE(store->optionalInteger(u"dayloom.defaultReminder"_qs), std::nullopt);
        QCOMPARE(store->integer(u"dayloom.defaultReminder"_qs), 0);
        QCOMPARE(store->bytes(u"dayloom.showHolidays"_qs), std::nullopt);
        QCOMPARE(store->stringList(u"dayloom.showHolidays"_qs), std::nullopt);
        QCOMPARE(store->object(u"dayloom.showHolidays"_qs), QVariant(u"yes"_qs));
        QVERIFY(!store->object(u"dayloom.missing"_qs).isValid());
    }

    void removeAndChangeSignals()
    {
        auto store = openStore(path());
        QSignalSpy changed(store.get(), &Preferences::valueChanged);
        store->setBool(u"dayloom.a"_qs, true);
        store->setBool(u"dayloom.a"_qs, true); // no change
        store->setInteger(u"dayloom.a"_qs, 1); // same QVariant value, other type: a change
        store->remove(u"dayloom.a"_qs);
        store->remove(u"dayloom.a"_qs); // already gone
        QCOMPARE(changed.count(), 3);
        QVERIFY(!store->contains(u"dayloom.a"_qs));
        QVERIFY(!openStore(path())->contains(u"dayloom.a"_qs));
    }

    void bindingReadsDefaultsAndNotifiesEveryBoundView()
    {
        auto store = openStore(path());
        PreferenceBinding first(*store), second(*store);
        for (PreferenceBinding *binding : {&first, &second}) {
            binding->setKey(u"dayloom.showSidePanels"_qs);
            binding->setDefaultValue(true);
        }
        QCOMPARE(first.value(), QVariant(true));
        store->setString(u"dayloom.showSidePanels"_qs, u"garbage"_qs);
        QCOMPARE(first.value(), QVariant(true)); // wrong type: the default

        QSignalSpy secondChanged(&second, &PreferenceBinding::valueChanged);
        first.setValue(false);
        QCOMPARE(store->optionalBool(u"dayloom.showSidePanels"_qs), false);
        QCOMPARE(second.value(), QVariant(false));
        QCOMPARE(secondChanged.count(), 1);
        first.setValue(false);
        QCOMPARE(secondChanged.count(), 1);

        PreferenceBinding minutes(*store);
        minutes.setKey(u"dayloom.defaultReminder"_qs);
        minutes.setDefaultValue(0);
        QCOMPARE(minutes.value(), QVariant(0));
        minutes.setValue(30.0); // as QML hands numbers over
        QCOMPARE(store->optionalInteger(u"dayloom.defaultReminder"_qs), 30);
        QCOMPARE(minutes.value(), QVariant(30));
    }

    void unreadableDatabaseIsMovedAsideAndNotOverwritten()
    {
        const QByteArray garbage = QByteArray("this is not a database, but the user's only copy ") .repeated(200);
        {
            QFile file(path());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"could not be read.*moved to"_qs));
        auto backend = std::make_unique<SqlitePreferenceBackend>(path());
        const QString aside = backend->movedAsidePath();
        Preferences store(std::move(backend));
        QVERIFY(store.allKeys().isEmpty());
        QVERIFY(store.setBool(u"dayloom.isLoggedIn"_qs, true));

        QVERIFY(!aside.isEmpty());
        QFile kept(aside);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
        QCOMPARE(openStore(path())->optionalBool(u"dayloom.isLoggedIn"_qs), true);
    }

    void aKilledWriterLeavesEveryKeyWhole()
    {
        QRandomGenerator random(20261211);
        for (int round = 0; round < 3; ++round) {
            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"DAYLOOM_PREFERENCES_WRITER"_qs, path());
            child.setProcessEnvironment(env);
            child.start();
            QVERIFY(child.waitForReadyRead(20000));
            QTest::qWait(int(random.bounded(20, 200)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(10000));

            auto store = openStore(path());
            for (int k = 0; k < kCrashKeys; ++k) {
                const auto blob = store->bytes(QStringLiteral("dayloom.blob%1").arg(k));
                QVERIFY(blob.has_value());
                QCOMPARE(blob->size(), kCrashValueSize);
                QCOMPARE(blob->count(blob->front()), kCrashValueSize); // one generation, not a mix
                QVERIFY(store->optionalInteger(QStringLiteral("dayloom.generation%1").arg(k)).has_value());
            }
        }
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString writerPath = qEnvironmentVariable("DAYLOOM_PREFERENCES_WRITER");
    if (!writerPath.isEmpty())
        return runWriterChild(writerPath);
    TestPreferences test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_preferences.moc"
