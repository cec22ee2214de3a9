#pragma once

#include <QObject>
#include <QtQml/qqml.h>

#include <memory>

#include "applecalendarsync.h"
#include "photostripstore.h"
#include "storetypes.h"
#include "userstore.h"

class GoogleCalendarAPI;
class GoogleSync;
class Preferences;
class VdirCalendarDatabase;
class QQmlEngine;
class QJSEngine;

// Owns the long-lived stores for the life of the window, creates them once in a fixed order, and
// acts at the three moments of the window's life: its first appearance, the user becoming signed
// in, and the window becoming active again.
class AppRoot : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(UserStore *userStore READ userStore CONSTANT)
    Q_PROPERTY(EventStore *eventStore READ eventStore CONSTANT)
    Q_PROPERTY(PhotoStripStore *photoStore READ photoStore CONSTANT)
    Q_PROPERTY(AppleCalendarSync *appleSync READ appleSync CONSTANT)

public:
    explicit AppRoot(Preferences &preferences, QObject *parent = nullptr);
    ~AppRoot() override;

    // QML reaches the one instance that the application created before loading the window.
    static AppRoot *create(QQmlEngine *, QJSEngine *);
    static void setInstance(AppRoot *root);

    UserStore *userStore() const { return m_userStore.get(); }
    EventStore *eventStore() const { return m_eventStore.get(); }
    PhotoStripStore *photoStore() const { return m_photoStore.get(); }
    AppleCalendarSync *appleSync() const { return m_appleSync.get(); }

    // Image providers that serve the stores' pictures to the window's engine.
    void installImageProviders(QQmlEngine &engine);

    void windowAppeared();
    void signedInChanged(bool signedIn);
    void applicationBecameActive();

    // Erases the user's data from this machine (the confirmed "Delete Account & Data").
    Q_INVOKABLE void deleteAccountAndData();

private:
    void rescheduleReminders();

    Preferences &m_preferences;
    std::unique_ptr<UserStore> m_userStore; // the last to go: every screen observes it
    // Destroyed in reverse order: the store first, then the requests still in flight (whose
    // coroutines then find the store gone), and the synchroniser they belong to last.
    std::unique_ptr<GoogleSync> m_googleSync;
    std::unique_ptr<GoogleCalendarAPI> m_googleApi;
    std::unique_ptr<EventStore> m_eventStore;
    std::unique_ptr<PhotoStripStore> m_photoStore;
    std::unique_ptr<VdirCalendarDatabase> m_calendarDatabase; // outlives the bridge that reads it
    std::unique_ptr<AppleCalendarSync> m_appleSync;
    bool m_appeared = false;
};
