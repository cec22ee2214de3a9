// Renders every screen of Dayloom offscreen to PNG files, with fixture data, a pinned clock, the
// time zone America/New_York and the locale en_US, so that anyone can look at them without a display.
#include "application.h"
#include "approot.h"
#include "calendarshots.h"
#include "editorshots.h"
#include "eventstore.h"
#include "sqlitepreferencebackend.h"
#include "calendar.h"
#include "clock.h"
#include "preferences.h"
#include "screenshotgoogleclient.h"
#include "symboltable.h"
#include "userstore.h"

#include <QDir>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

struct Shot
{
    QString name;
    QString qmlUrl;
    QSize size;
    QVariantMap properties; // initial properties of the root window
    std::function<void(QQuickWindow *)> prepare = {}; // puts the loaded window into the state shown
    bool signedIn = true; // the root window shows the login screen when false
};

UserStore *s_userStore = nullptr;
ScreenshotGoogleClient *s_googleClient = nullptr;

// Presses "Sign in with Google" on the login screen: the client either fails, which opens the
// alert, or waits for the browser.
void signInWithGoogle(QQuickWindow *window, bool waitsForBrowser)
{
    s_googleClient->waitsForBrowser = waitsForBrowser;
    QObject *login = window->findChild<QObject *>(QStringLiteral("loginView"));
    auto *controller = login ? login->property("controller").value<QObject *>() : nullptr;
    if (controller)
        QMetaObject::invokeMethod(controller, "signInWithGoogle", Q_ARG(QWindow *, window));
}

const Calendar &newYork()
{
    static const Calendar calendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));
    return calendar;
}

QList<Shot> shots()
{
    const QString root = QStringLiteral("qrc:/Dayloom/App/Main.qml");
    const QString controls = QStringLiteral("qrc:/screenshots/ControlsGallery.qml");
    const QString openPopup = QStringLiteral("openPopup");
    return {
        {QStringLiteral("window-900x640"), root, {900, 640}, {}},
        {QStringLiteral("window-1400x900"), root, {1400, 900}, {}},
        {QStringLiteral("login-900x640"), root, {900, 640}, {}, {}, false},
        {QStringLiteral("login-1400x900"), root, {1400, 900}, {}, {}, false},
        {QStringLiteral("login-error-900x640"), root, {900, 640}, {}, [](QQuickWindow *w) { signInWithGoogle(w, false); }, false},
        {QStringLiteral("login-waiting-900x640"), root, {900, 640}, {}, [](QQuickWindow *w) { signInWithGoogle(w, true); }, false},
        {QStringLiteral("controls-gallery"), controls, {900, 640}, {{openPopup, QStringLiteral("date")}}},
        {QStringLiteral("controls-sheet"), controls, {900, 640}, {{openPopup, QStringLiteral("sheet")}}},
        {QStringLiteral("controls-dialog"), controls, {900, 640}, {{openPopup, QStringLiteral("dialog")}}},
        {QStringLiteral("symbols"), QStringLiteral("qrc:/screenshots/SymbolsGallery.qml"), {900, 640},
         {{QStringLiteral("names"), SymbolTable::names()}}},
        {QStringLiteral("calendar-month-900x640"), root, {900, 640}, {}, [](QQuickWindow *w) { showFixtureMonth(w, newYork()); }},
        {QStringLiteral("calendar-month-1400x900"), root, {1400, 900}, {}, [](QQuickWindow *w) { showFixtureMonth(w, newYork()); }},
        {QStringLiteral("calendar-day-900x640"), root, {900, 640}, {}, [](QQuickWindow *w) { showFixtureDay(w, newYork()); }},
        {QStringLiteral("calendar-day-1400x900"), root, {1400, 900}, {}, [](QQuickWindow *w) { showFixtureDay(w, newYork()); }},
        {QStringLiteral("calendar-day-night-900x640"), root, {900, 640}, {}, [](QQuickWindow *w) { showFixtureNight(w, newYork()); }},
        {QStringLiteral("calendar-day-today-900x640"), root, {900, 640}, {}, [](QQuickWindow *w) { showFixtureToday(w, newYork()); }},
    };
}

bool render(const Shot &shot, const QDir &output)
{
    if (shot.signedIn != s_userStore->isLoggedIn()) {
        if (shot.signedIn)
            s_userStore->continueWithoutGoogle(QStringLiteral("Ada"), QStringLiteral("ada@example.com"));
        else
            s_userStore->signOut();
    }
    QQmlApplicationEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    engine.setInitialProperties(shot.properties);
    engine.load(QUrl(shot.qmlUrl));
    if (engine.rootObjects().isEmpty())
        return false;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().constFirst());
    if (!window)
        return false;
    window->resize(shot.size);
    window->show();
    if (shot.prepare)
        shot.prepare(window);
    // Let bindings, layouts and the first frame settle before grabbing.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const QString file = output.filePath(shot.name + QStringLiteral(".png"));
    const bool saved = window->grabWindow().save(file);
    s_googleClient->cancelSignIn(); // a sign-in still waiting ends with its window
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(file));
    return saved;
}

}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("TZ", "America/New_York");
    qputenv("LANG", "en_US.UTF-8");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: dayloom-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir dataDir;
    qputenv("XDG_DATA_HOME", dataDir.path().toUtf8());

    // 10:00 on Wednesday 13 March 2024, New York.
    const Calendar calendar(QTimeZone("America/New_York"), 1, QLocale(QLocale::English, QLocale::UnitedStates));
    FixedClock clock(calendar.instantAt(QDate(2024, 3, 13), QTime(10, 0)));
    Clock::setShared(&clock);

    // The window's stores, on preferences of their own, holding the fixture events.
    Preferences preferences(std::make_unique<SqlitePreferenceBackend>(dataDir.filePath(QStringLiteral("preferences.sqlite"))));
    Preferences::setStandard(&preferences);
    ScreenshotGoogleClient googleClient;
    s_googleClient = &googleClient;
    GoogleSignInClient::setShared(&googleClient);
    AppRoot appRoot(preferences);
    AppRoot::setInstance(&appRoot);
    s_userStore = appRoot.userStore();
    appRoot.eventStore()->setCalendar(calendar);
    appRoot.eventStore()->setEvents(calendarFixtureEvents(calendar));

    registerDayloomQmlModules();
    QQuickStyle::setStyle(QStringLiteral("Basic"));
    const QDir output(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(output.absolutePath());
    bool allSaved = true;
    for (const Shot &shot : shots())
        allSaved = render(shot, output) && allSaved;
    for (const EditorShot &shot : editorShots(calendar))
        allSaved = render({shot.name, QStringLiteral("qrc:/screenshots/EditorShot.qml"), {900, 640}, shot.properties, settleEditorShot}, output) && allSaved;
    return allSaved ? 0 : 1;
}
