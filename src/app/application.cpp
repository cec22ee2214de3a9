#include "application.h"

#include "approot.h"
#include "googleoauthclient.h"
#include "preferences.h"
#include "secretstore.h"
#include "singleinstance.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QScopeGuard>
#include <QStandardPaths>

int runDayloom(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Dayloom"));
    QGuiApplication::setOrganizationName(QStringLiteral("Dayloom"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Dayloom"));
    QGuiApplication::setDesktopFileName(QStringLiteral("dayloom"));

    const QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    SingleInstance instance(SingleInstance::keyForDataDirectory(dataDirectory));
    if (!instance.claim())
        return 0;

    // The Google sign-in of this process: tokens in the desktop keyring, endpoints and client ID
    // as configured at build time. Installed before the stores, which take the shared client.
    KeychainSecretStore googleSecrets(QStringLiteral("Dayloom"), QStringLiteral("google-sign-in"),
                                      QDir(dataDirectory).filePath(QStringLiteral("google-sign-in.secret")));
    GoogleOAuthClient googleClient(GoogleOAuthConfig::buildDefaults(), googleSecrets);
    GoogleSignInClient::setShared(&googleClient);
    const auto uninstallClient = qScopeGuard([] { GoogleSignInClient::setShared(nullptr); });

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
