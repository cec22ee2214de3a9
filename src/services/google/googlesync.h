#pragma once

#include "eventstore.h"
#include "googlecalendarapi.h"

#include <QPointer>

// Two-way synchronisation of the event store with the user's primary Google calendar: queued
// deletions first, then local changes, then the pull of the window and its merge. The store may
// change while a request is in flight, so every step works on copies and re-reads the store after
// each wait; a change noticed too late asks for one more pass.
class GoogleSync final : public EventSynchroniser
{
public:
    GoogleSync(GoogleCalendarAPI &api, GoogleSignInClient &signIn);

    QCoro::Task<> sync(EventStore &store) override;

private:
    using Error = GoogleAPIClient::Error;

    QCoro::Task<> runPass(QPointer<EventStore> store);
    void checkAccount(EventStore &store);
    QCoro::Task<> sendPendingDeletes(QPointer<EventStore> store);
    QCoro::Task<> pushLocalChanges(QPointer<EventStore> store);
    QCoro::Task<> pushOne(QPointer<EventStore> store, CalendarEvent copy);
    QCoro::Task<> pullAndMerge(QPointer<EventStore> store);
    void markSynced(EventStore &store, const CalendarEvent &pushed, const QString &googleId,
                    const std::optional<QString> &updated);
    void recordError(const Error &error);
    bool isSignedIn() const { return m_signIn.hasSignedInUser(); }

    GoogleCalendarAPI &m_api;
    GoogleSignInClient &m_signIn;
    std::optional<Error> m_passError; // the first error of the current pass
};

// Merges a Google listing into a copy of the store's events: updates and new events from Google,
// removals of events cancelled at Google or gone from the inner window. Local changes that Google
// has not received are never overwritten or removed.
QList<CalendarEvent> mergeGoogleEvents(QList<CalendarEvent> events, const GoogleCalendarAPI::FetchResult &listing,
                                       const QStringList &pendingDeletes, const Calendar &calendar);
