#include "application.h"

#include "approot.h"
#include "preferences.h"
#include "singleinstance.h"

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>

int runDayloom(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Dayloom"));
    QGuiApplication::setOrganizationName(QStringLiteral("Dayloom"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Dayloom"));
    QGuiApplication::setDesktopFileName(QStringLiteral("dayloom"));

    SingleInstance instance(SingleInstance::keyForDataDirectory(
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    if (!instance.claim())
        return 0;

    AppRoot root(Preferences::standard());
    AppRoot::setInstance(&root);

    registerDayloomQmlModules();
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    root.installImageProviders(engine);
    engine.load(QUrl(QStringLiteral("qrc:/Dayloom/App/Main.qml")));
    if (engine.rootObjects().isEmpty())
        return 1;

    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    QObject::connect(&instance, &SingleInstance::activationRequested, window, [window] {
        window->show();
        window->raise();
        window->requestActivate();
    });
    root.windowAppeared();
    // The first activation belongs to the start-up; later ones mean the user came back.
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, &root,
                     [&root, seenFirstActivation = false](Qt::ApplicationState state) mutable {
                         if (state != Qt::ApplicationActive)
                             return;
                         if (std::exchange(seenFirstActivation, true))
                             root.applicationBecameActive();
                     });
    return app.exec();
}
