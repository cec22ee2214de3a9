#pragma once

#include "calendar.h"
#include "calendardatabase.h"
#include "calendarevent.h"
#include "calendarinfo.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

#include <QCoro/QCoroTask>

#include <optional>

class EventStore;
class Preferences;

// Mirrors the chosen calendars of the machine's calendar database into the event store, from 30
// days back to 365 days ahead, and writes edits, deletions and new events of those calendars back.
// Each occurrence becomes one event whose `appleEventId` is its occurrence key (see occurrenceKey).
// Everything runs on the main thread; the asynchronous operations are tasks started there.
class AppleCalendarSync : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool hasAccess READ hasAccess NOTIFY hasAccessChanged)
    Q_PROPERTY(bool isDenied READ isDenied NOTIFY isDeniedChanged)
    // Each calendar as a map with the keys id, title, source and canEdit.
    Q_PROPERTY(QVariantList calendars READ calendarList NOTIFY calendarsChanged)
    Q_PROPERTY(bool isSyncing READ isSyncing NOTIFY isSyncingChanged)
    Q_PROPERTY(QString lastError READ lastErrorText NOTIFY lastErrorChanged) // empty when absent
    Q_PROPERTY(bool isEnabled READ isEnabled NOTIFY isEnabledChanged)
    Q_PROPERTY(bool hasChosenCalendars READ hasChosenCalendars NOTIFY chosenIDsChanged)
    Q_PROPERTY(QStringList chosenIDs READ chosenIdList NOTIFY chosenIDsChanged) // sorted
    Q_PROPERTY(QString newEventCalendarID READ newEventCalendarText NOTIFY newEventCalendarIDChanged)

public:
    static inline const QString enabledKey = QStringLiteral("dayloom.appleSyncEnabled");
    static inline const QString chosenKey = QStringLiteral("dayloom.appleCalendarIDs");
    static inline const QString newEventKey = QStringLiteral("dayloom.appleNewEventCalendarID");
    static inline const QString userOffKey = QStringLiteral("dayloom.appleUserTurnedOff");

    static inline const QString notFoundMessage = QStringLiteral("Couldn't find that event in Apple Calendar.");
    static inline const QString readOnlyChangeMessage =
            QStringLiteral("That calendar is read-only, so the change was not saved.");
    static inline const QString readOnlyDeletionMessage =
            QStringLiteral("That calendar is read-only, so the event was not deleted.");
    static inline const QString saveFailedPrefix = QStringLiteral("Couldn't save to Apple Calendar: ");
    static inline const QString deleteFailedPrefix = QStringLiteral("Couldn't delete from Apple Calendar: ");

    // Restores the choices from `preferences` and reads the access state. Dates are computed in
    // `calendar`, or in the user's current calendar at each use when none is given.
    AppleCalendarSync(Preferences &preferences, CalendarDatabase &database,
                      std::optional<Calendar> calendar = std::nullopt, QObject *parent = nullptr);

    // The occurrence key: the database identifier, "|", and the start in whole seconds since
    // 1970, truncated toward zero.
    static QString occurrenceKey(const QString &identifier, Instant start);
    struct Times
    {
        Instant start;
        Instant end;
    };
    // An occurrence's times as an event keeps them: all-day ones from the start of the first day
    // to the start of the day after the last, whatever end the database gave.
    static Times importedTimes(const DeviceEvent &occurrence, const Calendar &calendar);

    bool hasAccess() const { return m_hasAccess; }
    bool isDenied() const { return m_isDenied; }
    const QList<CalendarInfo> &calendars() const { return m_calendars; }
    QVariantList calendarList() const;
    bool isSyncing() const { return m_isSyncing; }
    const std::optional<QString> &lastError() const { return m_lastError; }
    QString lastErrorText() const { return m_lastError.value_or(QString()); }
    bool isEnabled() const { return m_isEnabled; }
    const std::optional<QSet<QString>> &chosenIDs() const { return m_chosenIDs; }
    bool hasChosenCalendars() const { return m_chosenIDs.has_value(); }
    QStringList chosenIdList() const;
    const std::optional<QString> &newEventCalendarID() const { return m_newEventCalendarID; }
    QString newEventCalendarText() const { return m_newEventCalendarID.value_or(QString()); }
    EventStore *store() const;

    // Keeps `store` weakly, installs the write-back hooks in it and, once, re-imports on every
    // change of the database.
    void attach(EventStore &store);

    // Reads the access state; with access, lists the calendars.
    void refreshAccess();
    void loadCalendars();
    // The calendars shown until the user chooses: the local ones and those of "iCloud", else all
    // but birthday and subscription calendars.
    QSet<QString> defaultCalendarIDs();
    Q_INVOKABLE bool isCalendarShown(const QString &calendarId);
    Q_INVOKABLE void setCalendar(const QString &calendarId, bool shown);
    void setNewEventCalendar(const std::optional<QString> &calendarId);
    // For the settings picker: an empty identifier chooses no calendar.
    Q_INVOKABLE void chooseNewEventCalendar(const QString &calendarId);

    // Asks for access and turns the bridge on when it is granted; imports then.
    QCoro::Task<> turnOn();
    Q_INVOKABLE void turnOnLater(); // turnOn as a task nobody waits for
    Q_INVOKABLE void turnOff();
    // Erasing the account: the calendar choice and the calendar for new events become unset.
    void forgetCalendarChoices();
    // Start-up: imports when on, asks when never answered, and does nothing once the user turned
    // the bridge off or access was refused.
    QCoro::Task<> start();
    // One import pass; returns at once while another runs.
    QCoro::Task<> refresh();
    Q_INVOKABLE void refreshLater();

    // The write-back hooks.
    std::optional<DeviceEvent> findEvent(const QString &key);
    std::optional<QString> writeEvent(const CalendarEvent &event);
    std::optional<QString> createEvent(const CalendarEvent &event);
    bool deleteEvent(const QString &key);

signals:
    void hasAccessChanged();
    void isDeniedChanged();
    void calendarsChanged();
    void isSyncingChanged();
    void lastErrorChanged();
    void isEnabledChanged();
    void chosenIDsChanged();
    void newEventCalendarIDChanged();

private:
    Calendar calendar() const;
    void setHasAccess(bool hasAccess);
    void setDenied(bool denied);
    void setCalendars(const QList<CalendarInfo> &calendars);
    void setSyncing(bool syncing);
    void setLastError(const std::optional<QString> &message);
    void setEnabled(bool enabled);
    void setChosenIDs(const std::optional<QSet<QString>> &ids);
    void setNewEventCalendarID(const std::optional<QString> &calendarId);
    std::optional<QSet<QString>> storedChosenIDs() const;
    std::optional<QString> storedNewEventCalendarID() const;

    QSet<QString> shownIDs() { return m_chosenIDs ? *m_chosenIDs : defaultCalendarIDs(); }
    bool isWritableCalendar(const QString &calendarId);
    std::optional<DeviceEvent> save(const DeviceEvent &event);
    void importWindow();
    void removeImportedEvents(bool alwaysAssign);

    Preferences &m_preferences;
    CalendarDatabase &m_database;
    std::optional<Calendar> m_calendar;
    bool m_hasAccess = false;
    bool m_isDenied = false;
    QList<CalendarInfo> m_calendars;
    bool m_isSyncing = false;
    std::optional<QString> m_lastError;
    bool m_isEnabled = false;
    std::optional<QSet<QString>> m_chosenIDs;
    std::optional<QString> m_newEventCalendarID;
    QPointer<EventStore> m_store;
    QMetaObject::Connection m_observer;
};
