#include "approot.h"

#include "eventstore.h"
#include "notificationcenter.h"
#include "notificationscheduler.h"
#include "preferences.h"

#include <QGuiApplication>
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
    m_eventStore = std::make_unique<EventStore>(m_preferences);
    m_eventStore->setRemindersRescheduler(
            [](const QList<CalendarEvent> &events) { NotificationScheduler::shared().reschedule(events); });
    rescheduleReminders(); // the loaded list was saved before the rescheduler was installed
}

AppRoot::~AppRoot()
{
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

void AppRoot::windowAppeared()
{
    if (m_appeared)
        return;
    m_appeared = true;
    // Reminders due while the window is in front are shown by the scheduler as banners too.
    NotificationCenter::shared().setDelegate(&NotificationScheduler::shared());
    NotificationCenter::shared().setInFrontCheck(
            [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; });
    // Restoring the previous Google sign-in is followed by a synchronisation whatever its outcome;
    // the synchronisation returns at once when nobody is signed in.
    startDetached(m_eventStore->sync());
}

void AppRoot::signedInChanged(bool signedIn)
{
    if (!signedIn)
        return;
    startDetached(m_eventStore->sync());
}

void AppRoot::applicationBecameActive()
{
    startDetached(m_eventStore->sync());
    rescheduleReminders();
}

void AppRoot::rescheduleReminders()
{
    NotificationScheduler::shared().reschedule(m_eventStore->events());
}
