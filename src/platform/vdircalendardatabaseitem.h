#pragma once

#include "calendar.h"
#include "calendardatabase.h"

#include <libical/ical.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <variant>

struct IcalComponentDeleter
{
    void operator()(icalcomponent *component) const { icalcomponent_free(component); }
};
using IcalComponentPtr = std::unique_ptr<icalcomponent, IcalComponentDeleter>;

// One item of a vdir calendar: the parsed content of one .ics file, which holds one event (one
// UID) with its overrides, the components that carry a RECURRENCE-ID. It lists occurrences and
// edits or removes one occurrence in memory; the caller writes the result back.
//
// Date values and floating times are read in the time zone of `local`. An occurrence's
// `recurrenceId` is its original start as libical counts it (seconds since 1970, floating and date
// values read as if they were UTC), which is also how RECURRENCE-ID and EXDATE values compare.
class VdirCalendarDatabaseItem
{
public:
    // The item held in `data`, or a short reason why it cannot be read.
    static std::variant<VdirCalendarDatabaseItem, QString> parse(const QByteArray &data, const Calendar &local);
    // A new item with one event under `uid` and no times yet.
    static VdirCalendarDatabaseItem create(const QString &uid, Instant now, const Calendar &local);

    // Something about the file worth telling although it was read, or empty.
    const QString &warning() const { return m_warning; }

    // The occurrences overlapping [start, end), with the identifier fields left empty.
    QList<DeviceEvent> occurrences(Instant start, Instant end) const;
    // The event as a whole: its first occurrence, or the earliest override without a master.
    std::optional<DeviceEvent> firstOccurrence() const;

    // A rewrite would drop the lines libical could not read, so such an item is never changed;
    // save and remove refuse it.
    bool hasUnreadableLines() const;

    // Writes title, notes, location and times of `event` into its occurrence: the event itself
    // when it does not repeat, an override otherwise. Answers the occurrence as now stored.
    std::variant<DeviceEvent, QString> save(const DeviceEvent &event, Instant now);

    enum class Removal { Rewrite, DeleteFile };
    // Removes the occurrence of `event`: an EXDATE for a repeating event, else the event itself.
    // DeleteFile when nothing else is left in the file.
    std::variant<Removal, QString> remove(const DeviceEvent &event);

    QByteArray serialized() const;

private:
    explicit VdirCalendarDatabaseItem(const Calendar &local) : m_local(local) {}

    struct Override
    {
        icalcomponent *component;
        qint64 recurrenceId;
    };

    qint64 masterStart() const;
    icalcomponent *overrideFor(qint64 recurrenceId) const;
    std::optional<DeviceEvent> occurrenceOf(icalcomponent *component) const;
    const QList<DeviceEvent> &masterOccurrences(qint64 from, qint64 to) const;
    void updateDerived();
    bool isExcluded(qint64 recurrenceId) const;
    icalcomponent *addOverride(qint64 recurrenceId);
    void writeTimes(icalcomponent *component, const DeviceEvent &event) const;
    void removeComponent(icalcomponent *component);
    bool holdsOtherContent() const;

    Calendar m_local;
    IcalComponentPtr m_calendar;
    icalcomponent *m_master = nullptr; // the event without RECURRENCE-ID; null when only overrides exist
    QList<Override> m_overrides;
    bool m_repeats = false;
    std::optional<DeviceEvent> m_masterOccurrence; // the occurrence at the master's DTSTART
    struct Expansion
    {
        qint64 from = 0;
        qint64 to = -1;
        QList<DeviceEvent> occurrences;
    };
    mutable Expansion m_expansion; // the last expansion of the master, kept for the next query
    QString m_warning;
};
