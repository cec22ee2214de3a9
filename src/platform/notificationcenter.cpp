#include "notificationcenter.h"

#include "freedesktopnotificationcenter.h"

#include <QCoreApplication>

namespace {
QPointer<NotificationCenter> s_installed;
QPointer<NotificationCenter> s_default;
}

NotificationCenter &NotificationCenter::shared()
{
    if (s_installed)
        return *s_installed;
    // Owned by the application object, so that its timers and bus connection end with the
    // event loop rather than during static destruction.
    if (!s_default)
        s_default = new FreedesktopNotificationCenter(FreedesktopNotificationCenter::defaultStorePath(),
                                                      QCoreApplication::instance());
    return *s_default;
}

void NotificationCenter::setShared(NotificationCenter *center)
{
    s_installed = center;
}
