#include "clock.h"
#include "freedesktopnotificationcenter.h"
#include "busservice.h"

#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");

// python3-dbusmock's notification daemon on the test's private session bus; every call it
// receives is written to a log.
class NotificationDaemonMock
{
public:
    explicit NotificationDaemonMock(const QString &logPath) : m_logPath(logPath)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"),
                         QStringLiteral("--template"), QStringLiteral("notification_daemon"), QStringLiteral("-l"),
                         logPath});
    }
    ~NotificationDaemonMock()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }

    bool waitUntilServing() const { return waitForBusService(m_process, kService); }

    // The Notify calls received so far, each as logged without its time stamp. A blocking call
    // first makes sure that every message sent before has been handled and logged.
    QStringList notifyCalls() const
    {
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
                kService, QStringLiteral("/org/freedesktop/Notifications"), kService,
                QStringLiteral("GetServerInformation")));
        QFile log(m_logPath);
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QStringList calls;
        static const QRegularExpression notifyLine(QStringLiteral("^[0-9.]+ (Notify .*)$"));
        for (const QByteArray &line : log.readAll().split('\n')) {
            const auto match = notifyLine.match(QString::fromUtf8(line));
            if (match.hasMatch())
                calls.append(match.captured(1));
        }
        return calls;
    }

private:
    QString m_logPath;
    QProcess m_process;
};

class FixedDelegate final : public NotificationCenterDelegate
{
public:
    explicit FixedDelegate(NotificationPresentationOptions answer) : m_answer(answer) {}
    int calls = 0;

    QCoro::Task<NotificationPresentationOptions> willPresent(NotificationRequest) override
    {
        ++calls;
        co_return m_answer;
    }

private:
    NotificationPresentationOptions m_answer;
};

constexpr Instant kNow = Instant::fromSeconds(700'000'000);

NotificationRequest request(const QString &identifier, double secondsFromNow, const QString &title = QString())
{
    return {identifier, title.isEmpty() ? identifier : title, QStringLiteral("Starts at 10:00 AM - in 15 minutes"),
            true, kNow.addingSeconds(secondsFromNow)};
}

QString notifyText(const QString &title, const QString &hints)
{
    return u"Notify \"Dayloom\" 0 \"\" \"" + title + u"\" \"Starts at 10:00 AM - in 15 minutes\" [] {" + hints
            + u"} -1";
}

const QString kWithSound = QStringLiteral("\"sound-name\": \"message-new-instant\"");
const QString kWithoutSound = QStringLiteral("\"suppress-sound\": True");

}

class TestFreedesktopNotificationCenter : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    FixedClock m_clock{kNow};

    QString storePath() const { return m_dir->filePath(QStringLiteral("notifications.json")); }
    QString logPath() const { return m_dir->filePath(QStringLiteral("daemon.log")); }

    std::unique_ptr<FreedesktopNotificationCenter> openCenter(const QDBusConnection &bus = QDBusConnection::sessionBus())
    {
        return std::make_unique<FreedesktopNotificationCenter>(storePath(), nullptr, &m_clock, bus);
    }

    static QList<NotificationRequest> pending(NotificationCenter &center)
    {
        return QCoro::waitFor(center.pendingRequests());
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(QStringLiteral("Dayloom"));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_clock.set(kNow);
    }

    void withoutANotificationServicePermissionIsDenied_data()
    {
        QTest::addColumn<bool>("busAvailable");
        QTest::newRow("session bus without a notification service") << true;
        QTest::newRow("no session bus") << false;
    }

    void withoutANotificationServicePermissionIsDenied()
    {
        QFETCH(bool, busAvailable);
        const QDBusConnection bus = busAvailable ? QDBusConnection::sessionBus()
                                                 : QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                                 QStringLiteral("dayloom-no-bus"));
        {
            auto center = openCenter(bus);
            QCOMPARE(QCoro::waitFor(center->authorizationStatus()), NotificationAuthorization::NotDetermined);
            QVERIFY(!QCoro::waitFor(center->requestAuthorization()));
            QCOMPARE(QCoro::waitFor(center->authorizationStatus()), NotificationAuthorization::Denied);
            QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("dayloom.A.15"), 0))));
            center->deliverDueRequests(); // not shown, and nothing breaks
            QVERIFY(pending(*center).isEmpty());
        }
        auto reopened = openCenter(bus);
        QCOMPARE(QCoro::waitFor(reopened->authorizationStatus()), NotificationAuthorization::Denied);
    }

    void aDueRequestIsShownOnce()
    {
        NotificationDaemonMock daemon(logPath());
        QVERIFY(daemon.waitUntilServing());
        auto center = openCenter();
        QVERIFY(QCoro::waitFor(center->requestAuthorization()));
        QCOMPARE(QCoro::waitFor(center->authorizationStatus()), NotificationAuthorization::Authorized);

        QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("dayloom.A.15"), 60, QStringLiteral("Lecture")))));
        center->deliverDueRequests();
        QCOMPARE(daemon.notifyCalls(), QStringList());

        m_clock.advance(60);
        center->deliverDueRequests();
        center->deliverDueRequests();
        QCOMPARE(daemon.notifyCalls(), QStringList{notifyText(QStringLiteral("Lecture"), kWithSound)});
        QVERIFY(pending(*center).isEmpty());
    }

    void atStartLateRequestsAreShownOnlyWithinTwelveHours()
    {
        NotificationDaemonMock daemon(logPath());
        QVERIFY(daemon.waitUntilServing());
        {
            auto center = openCenter();
            QVERIFY(QCoro::waitFor(center->requestAuthorization()));
            const std::pair<const char *, int> hoursAhead[] = {
                    {"dayloom.twelve-hours-late", 2}, {"dayloom.late", 3}, {"dayloom.too-late", 1}, {"dayloom.ahead", 30}};
            for (const auto &[id, hours] : hoursAhead)
                QVERIFY(QCoro::waitFor(center->add(request(QString::fromLatin1(id), hours * 3600.0))));
        }
        m_clock.advance(14 * 3600.0);

        auto restarted = openCenter();
        // The start-up delivery runs from the event loop, without being asked.
        QTRY_COMPARE(pending(*restarted).size(), 1);
        QCOMPARE(pending(*restarted).constFirst().identifier, QStringLiteral("dayloom.ahead"));
        QCOMPARE(daemon.notifyCalls(), QStringList{notifyText(QStringLiteral("dayloom.late"), kWithSound)});
        restarted.reset();
        QCOMPARE(pending(*openCenter()).size(), 1);
    }

    void inFrontTheDelegateDecides_data()
    {
        QTest::addColumn<bool>("inFront");
        QTest::addColumn<bool>("hasDelegate");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("expected");

        const int all = int(NotificationPresentation::Banner | NotificationPresentation::List
                            | NotificationPresentation::Sound);
        const QString title = QStringLiteral("dayloom.A.15");
        QTest::newRow("behind: shown with sound, delegate not asked")
                << false << true << 0 << QStringList{notifyText(title, kWithSound)};
        QTest::newRow("in front without delegate: not shown") << true << false << 0 << QStringList{};
        QTest::newRow("in front, banner, list and sound") << true << true << all
                                                         << QStringList{notifyText(title, kWithSound)};
        QTest::newRow("in front, banner without sound")
                << true << true << int(NotificationPresentation::Banner)
                << QStringList{notifyText(title, kWithoutSound)};
        QTest::newRow("in front, sound only: not shown")
                << true << true << int(NotificationPresentation::Sound) << QStringList{};
    }

    void inFrontTheDelegateDecides()
    {
        QFETCH(bool, inFront);
        QFETCH(bool, hasDelegate);
        QFETCH(int, answer);
        QFETCH(QStringList, expected);
        NotificationDaemonMock daemon(logPath());
        QVERIFY(daemon.waitUntilServing());
        auto center = openCenter();
        QVERIFY(QCoro::waitFor(center->requestAuthorization()));
        FixedDelegate delegate{NotificationPresentationOptions::fromInt(answer)};
        if (hasDelegate)
            center->setDelegate(&delegate);
        center->setInFrontCheck([inFront] { return inFront; });

        QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("dayloom.A.15"), 0))));
        center->deliverDueRequests();

        QCOMPARE(daemon.notifyCalls(), expected);
        QCOMPARE(delegate.calls, inFront && hasDelegate ? 1 : 0);
    }

    void pendingRequestsSurviveARestart()
    {
        NotificationRequest accented = request(QStringLiteral("dayloom.B.30"), 1234.5678, QStringLiteral("Café ☕"));
        accented.playsDefaultSound = false;
        {
            auto center = openCenter();
            QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("dayloom.A.15"), 100))));
            QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("other.C"), 200))));
            QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("dayloom.B.30"), 300))));
            QVERIFY(QCoro::waitFor(center->add(accented))); // replaces the request with its identifier
            center->removePendingRequests({QStringLiteral("dayloom.A.15"), QStringLiteral("unknown")});
            QVERIFY(!QCoro::waitFor(center->add(request(QString(), 100))));
        }
        auto reopened = openCenter();
        QCOMPARE(pending(*reopened), (QList<NotificationRequest>{request(QStringLiteral("other.C"), 200), accented}));
    }

    void anUnreadableFileIsMovedAside_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("readableRequests");
        const QByteArray good = R"({"identifier":"dayloom.A.15","title":"T","body":"B","sound":true,"fireTime":7e8})";
        QTest::newRow("not JSON") << QByteArray(R"({"requests":[)") << 0;
        QTest::newRow("not an object") << QByteArray("[]") << 0;
        QTest::newRow("one request of the wrong shape")
                << QByteArray(R"({"requests":[{"identifier":"x","title":1,"body":"","sound":true,"fireTime":1},)" + good
                              + "]}")
                << 1;
    }

    void anUnreadableFileIsMovedAside()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, readableRequests);
        {
            QFile file(storePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("could not be read .* moved to .*unreadable")));

        auto center = openCenter();

        QCOMPARE(pending(*center).size(), readableRequests);
        QFile aside(m_dir->filePath(QStringLiteral("notifications.unreadable.json")));
        QVERIFY(aside.open(QIODevice::ReadOnly));
        QCOMPARE(aside.readAll(), content);
        QVERIFY(QCoro::waitFor(center->add(request(QStringLiteral("dayloom.new"), 100))));
        center.reset();
        QCOMPARE(pending(*openCenter()).size(), readableRequests + 1);
    }
};

QTEST_GUILESS_MAIN(TestFreedesktopNotificationCenter)
#include "test_freedesktopnotificationcenter.moc"
