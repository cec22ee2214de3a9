#include "approot.h"

#include "accountdeletion.h"
#include "applecalendarsync.h"
#include "eventstore.h"
#include "googlecalendarapi.h"
#include "googlesignin.h"
#include "googlesync.h"
#include "photoimageprovider.h"
#include "photostripstore.h"
#include "vdircalendardatabase.h"
#include "notificationcenter.h"
#include "notificationscheduler.h"
#include "preferences.h"

#include <QGuiApplication>
#include <QPointer>
#include <QQmlEngine>

namespace {
AppRoot *s_instance = nullptr;

// Starts a task on the main thread that nobody awaits.
void startDetached(QCoro::Task<> &&task)
{
    [[maybe_unused]] auto running = std::move(task);
}
}

AppRoot::AppRoot(Preferences &preferences, QObject *parent) : QObject(parent), m_preferences(preferences)
{
    // Stores are created in dependency order: account, events, photos, local calendar bridge.
    m_userStore = std::make_unique<UserStore>(m_preferences, GoogleSignInClient::shared());
    connect(m_userStore.get(), &UserStore::isLoggedInChanged, this,
            [this] { signedInChanged(m_userStore->isLoggedIn()); });
    m_googleApi = std::make_unique<GoogleCalendarAPI>();
    m_googleSync = std::make_unique<GoogleSync>(*m_googleApi, GoogleSignInClient::shared());
    m_eventStore = std::make_unique<EventStore>(m_preferences);
    m_eventStore->setSynchroniser(m_googleSync.get());
    m_eventStore->setRemindersRescheduler(
            [](const QList<CalendarEvent> &events) { NotificationScheduler::shared().reschedule(events); });
    rescheduleReminders(); // the loaded list was saved before the rescheduler was installed

    m_photoStore = std::make_unique<PhotoStripStore>(m_preferences);
    m_calendarDatabase = std::make_unique<VdirCalendarDatabase>(VdirCalendarDatabase::defaultRootPath(),
                                                                VdirCalendarDatabase::defaultAccessAnswerPath(),
                                                                QTimeZone::systemTimeZone());
    m_appleSync = std::make_unique<AppleCalendarSync>(m_preferences, *m_calendarDatabase);
}

AppRoot::~AppRoot()
{
    // The bridge goes first: its hooks in the event store then find it gone.
    m_appleSync.reset();
    if (s_instance == this)
        s_instance = nullptr;
}

AppRoot *AppRoot::create(QQmlEngine *, QJSEngine *)
{
    Q_ASSERT(s_instance);
    QQmlEngine::setObjectOwnership(s_instance, QQmlEngine::CppOwnership);
    return s_instance;
}

void AppRoot::setInstance(AppRoot *root)
{
    s_instance = root;
}

void AppRoot::installImageProviders(QQmlEngine &engine)
{
    PhotoImageProvider::install(engine, *m_photoStore);
}

void AppRoot::windowAppeared()
{
    if (m_appeared)
        return;
    m_appeared = true;
    // Reminders due while the window is in front are shown by the scheduler as banners too.
    NotificationCenter::shared().setDelegate(&NotificationScheduler::shared());
    NotificationCenter::shared().setInFrontCheck(
            [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; });
    m_appleSync->attach(*m_eventStore);
    if (m_userStore->isLoggedIn())
        startDetached(m_appleSync->start());
    // Restoring the previous Google sign-in is followed by a synchronisation whatever its outcome;
    // the synchronisation returns at once when nobody is signed in.
    const QPointer<AppRoot> self(this);
    m_userStore->restorePreviousSignIn([self] {
        if (self)
            startDetached(self->m_eventStore->sync());
    });
}

void AppRoot::signedInChanged(bool signedIn)
{
    if (!signedIn)
        return;
    startDetached(m_eventStore->sync());
    startDetached(m_appleSync->start());
}

void AppRoot::applicationBecameActive()
{
    startDetached(m_appleSync->refresh());
    startDetached(m_eventStore->sync());
    rescheduleReminders();
}

void AppRoot::deleteAccountAndData()
{
    AccountDeletion::deleteAccountAndData(*m_eventStore, *m_photoStore, *m_appleSync, *m_userStore);
}

void AppRoot::rescheduleReminders()
{
    NotificationScheduler::shared().reschedule(m_eventStore->events());
}
