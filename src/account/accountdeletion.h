#pragma once

class AppleCalendarSync;
class EventStore;
class PhotoStripStore;
class UserStore;

namespace AccountDeletion {

// Erases the user's data from this machine, in this order: saved events and queued Google
// deletions, the photo strip, the local calendar bridge's state and choices, then the account
// (Google disconnected, profile emptied, every "dayloom." preference removed). Events already in
// Google Calendar or in the local calendar database stay there.
void deleteAccountAndData(EventStore &events, PhotoStripStore &photos, AppleCalendarSync &bridge, UserStore &user);

} // namespace AccountDeletion
