#include "accountdeletion.h"

#include "applecalendarsync.h"
#include "eventstore.h"
#include "photostripstore.h"
#include "userstore.h"

namespace AccountDeletion {

void deleteAccountAndData(EventStore &events, PhotoStripStore &photos, AppleCalendarSync &bridge, UserStore &user)
{
    events.clearAll();
    photos.removeAll();
    bridge.turnOff();
    bridge.forgetCalendarChoices();
    user.deleteAccount();
}

} // namespace AccountDeletion
