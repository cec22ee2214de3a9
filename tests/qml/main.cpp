// The runner of every QML test: the application's statically linked QML modules, the Basic
// style, and a clock pinned to 10:00 on Wednesday 13 March 2024 in the test's time zone.
#include "application.h"
#include "calendar.h"
#include "clock.h"

#include <QQmlEngine>
#include <QQuickStyle>
#include <QStandardPaths>
#include <QtQuickTest>

#include <memory>

class Setup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QStandardPaths::setTestModeEnabled(true);
        QQuickStyle::setStyle(QStringLiteral("Basic"));
        registerDayloomQmlModules();
        const Calendar calendar = Calendar::current();
        m_clock = std::make_unique<FixedClock>(calendar.instantAt(QDate(2024, 3, 13), QTime(10, 0)));
        Clock::setShared(m_clock.get());
    }

    void qmlEngineAvailable(QQmlEngine *engine) { engine->addImportPath(QStringLiteral("qrc:/")); }

    void cleanupTestCase() { Clock::setShared(nullptr); }

private:
    std::unique_ptr<FixedClock> m_clock;
};

QUICK_TEST_MAIN_WITH_SETUP(dayloom, Setup)

#include "main.moc"
