#pragma once

#include <QObject>
#include <QtQml/qqml.h>

#include <memory>

#include "storetypes.h"

class Preferences;
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
    Q_PROPERTY(EventStore *eventStore READ eventStore CONSTANT)

public:
    explicit AppRoot(Preferences &preferences, QObject *parent = nullptr);
    ~AppRoot() override;

    // QML reaches the one instance that the application created before loading the window.
    static AppRoot *create(QQmlEngine *, QJSEngine *);
    static void setInstance(AppRoot *root);

    EventStore *eventStore() const { return m_eventStore.get(); }

    void windowAppeared();
    void signedInChanged(bool signedIn);
    void applicationBecameActive();

private:
    void rescheduleReminders();

    Preferences &m_preferences;
    std::unique_ptr<EventStore> m_eventStore;
    bool m_appeared = false;
};
