#pragma once

#include "calendar.h"
#include "calendarevent.h"
#include "repeatrule.h"

#include <QObject>
#include <QStringList>

#include <QCoro/QCoroTask>

#include <functional>
#include <optional>

class Preferences;
class GoogleSignInClient;
class EventStore;

// Runs one Google synchronisation of the store; installed by the Google service so that the core
// does not depend on it.
class EventSynchroniser
{
public:
    virtual ~EventSynchroniser() = default;
    virtual QCoro::Task<> sync(EventStore &store) = 0;
};

// The single owner of the user's events. Every change of the list is written through to the
// preference store at once (no flush exists), and reminders are rebuilt after each write.
class EventStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isSyncing READ isSyncing NOTIFY isSyncingChanged)
    Q_PROPERTY(QString lastSyncError READ lastSyncErrorText NOTIFY lastSyncErrorChanged)

public:
    // Write-back hooks into the local calendar database, installed by its bridge.
    using AppleWriter = std::function<std::optional<QString>(const CalendarEvent &)>;
    using AppleCreator = std::function<std::optional<QString>(const CalendarEvent &)>;
    using AppleDeleter = std::function<bool(const QString &appleEventId)>;
    using RemindersRescheduler = std::function<void(const QList<CalendarEvent> &)>;

    static inline const QString key = QStringLiteral("dayloom.events");
    static inline const QString pendingDeletesKey = QStringLiteral("dayloom.pendingDeletes");
    static inline const QString syncedAccountKey = QStringLiteral("dayloom.syncedAccountEmail");
    static inline const QString showGoogleEventsKey = QStringLiteral("dayloom.showGoogleEvents");
    static inline const QString showAppleEventsKey = QStringLiteral("dayloom.showAppleEvents");

    // Loads the stored list and pending deletions. Stored data that cannot be read is copied into
    // `recoveryFolder` (default: "Recovered" in the application data directory) before anything
    // could overwrite it, and the store starts without it.
    explicit EventStore(Preferences &preferences, QObject *parent = nullptr,
                        const QString &recoveryFolder = QString());

    const QList<CalendarEvent> &events() const { return m_events; }
    // Whole and element-wise assignment; both save, even when nothing changed.
    void setEvents(QList<CalendarEvent> events);
    void setEventAt(qsizetype index, const CalendarEvent &event);

    const QStringList &pendingDeletes() const { return m_pendingDeletes; }
    void setPendingDeletes(const QStringList &ids);

    bool isSyncing() const { return m_isSyncing; }
    void setSyncing(bool syncing);
    std::optional<QString> lastSyncError() const { return m_lastSyncError; }
    QString lastSyncErrorText() const { return m_lastSyncError.value_or(QString()); }
    void setLastSyncError(const std::optional<QString> &message);
    bool needsResync = false;

    void add(CalendarEvent event);
    void update(CalendarEvent event);
    void remove(const CalendarEvent &event); // "delete" is a C++ keyword
    void clearAll();
    // Starts a synchronisation when a Google user is signed in; the caller does not wait.
    void requestSync();
    // One synchronisation run; returns at once without a synchroniser or a signed-in user.
    QCoro::Task<> sync();

    // Series: one stored event per occurrence, sharing a seriesId.
    QList<int> occurrenceOffsets(Instant firstStart, RepeatRule rule, const QSet<int> &weekdays, Instant lastDay) const;
    void addSeries(const CalendarEvent &templateEvent, RepeatRule rule, const QSet<int> &weekdays, Instant lastDay);
    // Applies the edited member's texts, settings and time of day to every member; each keeps its day.
    void updateSeries(const CalendarEvent &edited);
    void removeSeries(const CalendarEvent &event);
    int seriesCount(const CalendarEvent &event) const;

    // Every event overlapping the calendar day holding `day`: all-day first, then by start.
    QList<CalendarEvent> eventsForDay(Instant day) const;
    // eventsForDay filtered by the "show Google events" and "show local calendar events" settings.
    QList<CalendarEvent> visibleEventsForDay(Instant day) const;

    void setAppleWriter(AppleWriter hook) { m_appleWriter = std::move(hook); }
    void setAppleCreator(AppleCreator hook) { m_appleCreator = std::move(hook); }
    void setAppleDeleter(AppleDeleter hook) { m_appleDeleter = std::move(hook); }
    bool hasAppleHooks() const { return m_appleWriter && m_appleCreator && m_appleDeleter; }

    void setRemindersRescheduler(RemindersRescheduler rescheduler) { m_reschedule = std::move(rescheduler); }
    void setSynchroniser(EventSynchroniser *synchroniser) { m_synchroniser = synchroniser; }
    void setSignInClient(GoogleSignInClient *client) { m_signIn = client; }
    void setCalendar(const Calendar &calendar) { m_calendar = calendar; }
    const Calendar &calendar() const { return m_calendar; }
    Preferences &preferences() const { return m_preferences; }

signals:
    void eventsChanged();
    void isSyncingChanged();
    void lastSyncErrorChanged();

private:
    void load();
    void loadPendingDeletes();
    void save();
    void changed(); // saves the list and announces it
    void keepUnreadable(const QString &name, const QByteArray &bytes) const;
    GoogleSignInClient &signIn() const;

    Preferences &m_preferences;
    QString m_recoveryFolder;
    Calendar m_calendar;
    QList<CalendarEvent> m_events;
    QStringList m_pendingDeletes;
    bool m_isSyncing = false;
    std::optional<QString> m_lastSyncError;
    AppleWriter m_appleWriter;
    AppleCreator m_appleCreator;
    AppleDeleter m_appleDeleter;
    RemindersRescheduler m_reschedule;
    EventSynchroniser *m_synchroniser = nullptr;
    GoogleSignInClient *m_signIn = nullptr;
};
