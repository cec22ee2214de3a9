#include "vdircalendardatabaseitem.h"

#include <QDateTime>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kDaySeconds = 86400;
// Date and floating values are expanded by libical as if they were UTC and placed in the local
// zone afterwards; this margin around a query covers any zone offset.
constexpr qint64 kZoneMargin = 2 * kDaySeconds;
// At most this many occurrences of one event per expansion, so that a rule repeating every second
// cannot exhaust memory.
constexpr qsizetype kMaxOccurrences = 20000;

const char *const kProductId = "-//Dayloom//Dayloom//EN";

// How a component writes its times.
enum class TimeKind { Date, Floating, Absolute };

struct TimeForm
{
    TimeKind kind = TimeKind::Absolute;
    const icaltimezone *zone = nullptr; // for Absolute: UTC or the zone of the TZID
    QByteArray tzid;                    // the TZID as the file spells it; empty for UTC
};

const icaltimezone *utcZone()
{
    return icaltimezone_get_utc_timezone();
}

qint64 toUnixSeconds(Instant t)
{
    return static_cast<qint64>(std::floor(t.seconds + kReferenceDateUnixSeconds));
}

Instant fromUnixSeconds(qint64 seconds)
{
    return Instant::fromSeconds(static_cast<double>(seconds) - kReferenceDateUnixSeconds);
}

QDateTime utcDateTime(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

// Seconds since 1970 as libical counts them: date and floating values as if they were UTC.
qint64 libicalSeconds(const icaltimetype &t)
{
    return icaltime_as_timet_with_zone(t, t.zone ? t.zone : utcZone());
}

TimeKind kindOf(const icaltimetype &t)
{
    if (t.is_date)
        return TimeKind::Date;
    return t.zone ? TimeKind::Absolute : TimeKind::Floating;
}

Instant instantOf(qint64 seconds, TimeKind kind, const Calendar &local)
{
    switch (kind) {
    case TimeKind::Date:
        return local.startOfDay(utcDateTime(seconds).date());
    case TimeKind::Floating: {
        const QDateTime wallClock = utcDateTime(seconds);
        return local.instantAt(wallClock.date(), wallClock.time());
    }
    case TimeKind::Absolute:
        break;
    }
    return fromUnixSeconds(seconds);
}

// The inverse of instantOf: `t` in libical's count for a value of `kind`.
qint64 libicalSecondsOf(Instant t, TimeKind kind, const Calendar &local)
{
    if (kind == TimeKind::Absolute)
        return toUnixSeconds(t);
    const QDateTime wallClock = local.localDateTime(Instant::fromSeconds(std::floor(t.seconds)));
    const QTime time = kind == TimeKind::Date ? QTime(0, 0) : wallClock.time();
    return QDateTime(wallClock.date(), time, QTimeZone::utc()).toSecsSinceEpoch();
}

icaltimetype timeIn(const TimeForm &form, qint64 seconds)
{
    if (form.kind != TimeKind::Absolute)
        return icaltime_from_timet_with_zone(seconds, form.kind == TimeKind::Date, nullptr);
    const icaltimezone *zone = form.tzid.isEmpty() || !form.zone ? utcZone() : form.zone;
    icaltimetype t = icaltime_from_timet_with_zone(seconds, 0, zone);
    t.zone = zone; // libical 3.0 converts the wall-clock time but leaves the zone at UTC
    return t;
}

QByteArray tzidOf(icalproperty *property)
{
    icalparameter *parameter = property ? icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER) : nullptr;
    const char *tzid = parameter ? icalparameter_get_tzid(parameter) : nullptr;
    return tzid ? QByteArray(tzid) : QByteArray();
}

// The form of a component's DTSTART; UTC when it has none.
TimeForm startFormOf(icalcomponent *event)
{
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start))
        return TimeForm{TimeKind::Absolute, utcZone(), {}};
    TimeForm form{kindOf(start), start.zone, {}};
    if (form.kind == TimeKind::Absolute && !icaltime_is_utc(start))
        form.tzid = tzidOf(icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY));
    return form;
}

void removeProperties(icalcomponent *component, icalproperty_kind kind)
{
    while (icalproperty *property = icalcomponent_get_first_property(component, kind)) {
        icalcomponent_remove_property(component, property);
        icalproperty_free(property);
    }
}

icalproperty *timeProperty(icalproperty_kind kind, const icaltimetype &t, const QByteArray &tzid)
{
    icalproperty *property = icalproperty_new(kind);
    icalproperty_set_value(property, t.is_date ? icalvalue_new_date(t) : icalvalue_new_datetime(t));
    if (!t.is_date && !tzid.isEmpty() && !icaltime_is_utc(t))
        icalproperty_add_parameter(property, icalparameter_new_tzid(tzid.constData()));
    return property;
}

void replaceTime(icalcomponent *component, icalproperty_kind kind, const icaltimetype &t, const QByteArray &tzid = {})
{
    removeProperties(component, kind);
    icalcomponent_add_property(component, timeProperty(kind, t, tzid));
}

icaltimetype utcTime(Instant t)
{
    return timeIn(TimeForm{}, toUnixSeconds(t));
}

std::optional<QString> textOf(icalcomponent *component, icalproperty_kind kind)
{
    icalproperty *property = icalcomponent_get_first_property(component, kind);
    if (!property)
        return std::nullopt;
    const char *text = icalvalue_get_text(icalproperty_get_value(property));
    return QString::fromUtf8(text ? text : "");
}

// Keeps the property's parameters (LANGUAGE, ALTREP) when it already exists. An empty text is
// left out: libical cannot read a property with an empty value back.
void setText(icalcomponent *component, icalproperty_kind kind, const std::optional<QString> &text)
{
    if (!text || text->isEmpty()) {
        removeProperties(component, kind);
        return;
    }
    icalproperty *property = icalcomponent_get_first_property(component, kind);
    if (!property) {
        property = icalproperty_new(kind);
        icalcomponent_add_property(component, property);
    }
    icalproperty_set_value(property, icalvalue_new_text(text->toUtf8().constData()));
}

bool overlaps(const DeviceEvent &event, Instant start, Instant end)
{
    if (event.end == event.start)
        return start <= event.start && event.start < end;
    return event.start < end && event.end > start;
}

// `texts` as the occurrence starting at `seconds` (libical's count) and lasting `duration`.
DeviceEvent occurrenceAt(const DeviceEvent &texts, qint64 seconds, qint64 duration, TimeKind kind, const Calendar &local)
{
    DeviceEvent event = texts;
    event.isAllDay = kind == TimeKind::Date;
    if (event.isAllDay) {
        // An end on or before the start still makes one whole day.
        const QDate first = utcDateTime(seconds).date();
        const QDate after = std::max(utcDateTime(seconds + duration).date(), first.addDays(1));
        event.start = local.startOfDay(first);
        event.end = local.startOfDay(after);
    } else {
        event.start = instantOf(seconds, kind, local);
        event.end = event.start.addingSeconds(static_cast<double>(std::max<qint64>(duration, 0)));
    }
    return event;
}

DeviceEvent textsOf(icalcomponent *component)
{
    DeviceEvent event;
    event.title = textOf(component, ICAL_SUMMARY_PROPERTY);
    event.notes = textOf(component, ICAL_DESCRIPTION_PROPERTY);
    event.location = textOf(component, ICAL_LOCATION_PROPERTY);
    return event;
}

qint64 floorToMultiple(qint64 value, qint64 step)
{
    const qint64 quotient = value / step;
    return (quotient - (value % step < 0 ? 1 : 0)) * step;
}

struct SpanCollector
{
    QList<icaltime_span> spans;

    static void collect(icalcomponent *, icaltime_span *span, void *data)
    {
        auto *collector = static_cast<SpanCollector *>(data);
        if (collector->spans.size() < kMaxOccurrences)
            collector->spans.append(*span);
    }
};

// Rules that repeat every few seconds, minutes or hours are expanded over a range that holds at
// most kMaxOccurrences of them, so that libical's iteration stays short too.
qint64 expansionEnd(icalcomponent *master, qint64 from, qint64 to)
{
    for (icalproperty *rule = icalcomponent_get_first_property(master, ICAL_RRULE_PROPERTY); rule;
         rule = icalcomponent_get_next_property(master, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype recurrence = icalproperty_get_rrule(rule);
        qint64 period = 0;
        if (recurrence.freq == ICAL_SECONDLY_RECURRENCE)
            period = 1;
        else if (recurrence.freq == ICAL_MINUTELY_RECURRENCE)
            period = 60;
        else if (recurrence.freq == ICAL_HOURLY_RECURRENCE)
            period = 3600;
        if (period > 0)
            to = std::min(to, from + kMaxOccurrences * period * std::max<qint64>(recurrence.interval, 1));
    }
    return to;
}

// libical replaces a property with an empty value by an X-LIC-ERROR ("No value for DESCRIPTION
// property. Removing entire property:"); dropping it loses nothing, unlike any other unreadable line.
bool losesNothing(icalproperty *error)
{
    const QByteArray text = QByteArray(icalproperty_get_xlicerror(error)).trimmed();
    return text.startsWith("No value for ") && text.endsWith(':');
}

bool hasLossyErrors(icalcomponent *component)
{
    for (icalproperty *error = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); error;
         error = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        if (!losesNothing(error))
            return true;
    }
    for (icalcomponent *child = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        if (hasLossyErrors(child))
            return true;
    }
    return false;
}

QString unreadableLines()
{
    return QStringLiteral("The event's file has lines that could not be understood, so it was left unchanged.");
}

QString occurrenceGone()
{
    return QStringLiteral("That occurrence of the event no longer exists.");
}

}

std::variant<VdirCalendarDatabaseItem, QString> VdirCalendarDatabaseItem::parse(const QByteArray &data, const Calendar &local)
{
    IcalComponentPtr root(icalparser_parse_string(data.constData()));
    if (!root)
        return QStringLiteral("it is not an iCalendar file");
    if (icalcomponent_isa(root.get()) != ICAL_VCALENDAR_COMPONENT)
        return QStringLiteral("it does not hold exactly one VCALENDAR");

    VdirCalendarDatabaseItem item(local);
    item.m_calendar = std::move(root);
    icalcomponent *calendar = item.m_calendar.get();
    std::optional<QByteArray> uid;
    int foreign = 0;
    int unreadable = 0;
    for (icalcomponent *event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        const QByteArray eventUid(icalcomponent_get_uid(event));
        if (!uid)
            uid = eventUid;
        icalproperty *recurrenceId = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY);
        if (eventUid != *uid || (!recurrenceId && item.m_master)) {
            ++foreign;
            continue;
        }
        if (!recurrenceId) {
            item.m_master = event;
            continue;
        }
        const icaltimetype original = icalproperty_get_datetime_with_component(recurrenceId, event);
        if (icaltime_is_null_time(original) || icaltime_is_null_time(icalcomponent_get_dtstart(event)))
            ++unreadable;
        else
            item.m_overrides.append(Override{event, libicalSeconds(original)});
    }

    if (item.m_master && icaltime_is_null_time(icalcomponent_get_dtstart(item.m_master)))
        return QStringLiteral("its event has no start");
    if (!item.m_master && item.m_overrides.isEmpty())
        return QStringLiteral("it holds no event with a start");
    if (foreign > 0)
        item.m_warning = QStringLiteral("it holds more than one event; only the first was read");
    else if (unreadable > 0)
        item.m_warning = QStringLiteral("some changed occurrences have no readable start and were left out");
    item.updateDerived();
    return item;
}

VdirCalendarDatabaseItem VdirCalendarDatabaseItem::create(const QString &uid, Instant now, const Calendar &local)
{
    VdirCalendarDatabaseItem item(local);
    item.m_calendar.reset(icalcomponent_new_vcalendar());
    icalcomponent *calendar = item.m_calendar.get();
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_prodid(kProductId));
    icalcomponent *event = icalcomponent_new_vevent();
    icalcomponent_set_uid(event, uid.toUtf8().constData());
    icalcomponent_add_property(event, icalproperty_new_created(utcTime(now)));
    icalcomponent_add_component(calendar, event);
    item.m_master = event;
    item.updateDerived();
    return item;
}

icalcomponent *VdirCalendarDatabaseItem::overrideFor(qint64 recurrenceId) const
{
    const auto it = std::find_if(m_overrides.cbegin(), m_overrides.cend(),
                                 [&](const Override &o) { return o.recurrenceId == recurrenceId; });
    return it == m_overrides.cend() ? nullptr : it->component;
}

qint64 VdirCalendarDatabaseItem::masterStart() const
{
    return libicalSeconds(icalcomponent_get_dtstart(m_master));
}

bool VdirCalendarDatabaseItem::isExcluded(qint64 recurrenceId) const
{
    icaltimetype start = icalcomponent_get_dtstart(m_master);
    icaltimetype original = timeIn(startFormOf(m_master), recurrenceId);
    return icalproperty_recurrence_is_excluded(m_master, &start, &original) != 0;
}

std::optional<DeviceEvent> VdirCalendarDatabaseItem::occurrenceOf(icalcomponent *component) const
{
    const icaltimetype start = icalcomponent_get_dtstart(component);
    if (icaltime_is_null_time(start))
        return std::nullopt;
    const icaltimetype end = icalcomponent_get_dtend(component);
    const qint64 startSeconds = libicalSeconds(start);
    const qint64 duration = icaltime_is_null_time(end) ? 0 : libicalSeconds(end) - startSeconds;
    return occurrenceAt(textsOf(component), startSeconds, duration, kindOf(start), m_local);
}

// The master's occurrences (overridden ones left out) over a range holding [from, to), in seconds
// since 1970. Consecutive queries over nearly the same window reuse one expansion: it covers whole
// blocks of four weeks, and any range inside it.
const QList<DeviceEvent> &VdirCalendarDatabaseItem::masterOccurrences(qint64 from, qint64 to) const
{
    if (from >= m_expansion.from && to <= m_expansion.to)
        return m_expansion.occurrences;
    constexpr qint64 kBlock = 28 * kDaySeconds;
    m_expansion = Expansion{floorToMultiple(from, kBlock), floorToMultiple(to, kBlock) + kBlock, {}};

    const qint64 duration = std::max<qint64>(m_masterOccurrence->end.seconds - m_masterOccurrence->start.seconds, 0)
            + kDaySeconds; // floating and date values may lengthen by a zone change
    const qint64 expandFrom = m_expansion.from - duration - kZoneMargin;
    const qint64 expandTo = expansionEnd(m_master, std::max(expandFrom, masterStart()), m_expansion.to + kZoneMargin);
    SpanCollector collector;
    icalcomponent_foreach_recurrence(m_master, icaltime_from_timet_with_zone(expandFrom, 0, utcZone()),
                                     icaltime_from_timet_with_zone(expandTo, 0, utcZone()), &SpanCollector::collect,
                                     &collector);
    // libical leaves RECURRENCE-ID overrides to the caller, and may repeat a start given by both
    // an RRULE and an RDATE.
    const TimeKind kind = kindOf(icalcomponent_get_dtstart(m_master));
    QSet<qint64> seen;
    for (const icaltime_span &span : std::as_const(collector.spans)) {
        const qint64 recurrenceId = span.start;
        if (seen.contains(recurrenceId) || overrideFor(recurrenceId))
            continue;
        seen.insert(recurrenceId);
        DeviceEvent event = occurrenceAt(*m_masterOccurrence, recurrenceId, span.end - span.start, kind, m_local);
        event.recurrenceId = recurrenceId;
        m_expansion.occurrences.append(event);
    }
    return m_expansion.occurrences;
}

// Keeps what every query needs ready: the master's own occurrence, and no stale expansion.
void VdirCalendarDatabaseItem::updateDerived()
{
    m_repeats = m_master
            && (icalcomponent_get_first_property(m_master, ICAL_RRULE_PROPERTY)
                || icalcomponent_get_first_property(m_master, ICAL_RDATE_PROPERTY));
    m_masterOccurrence = m_master ? occurrenceOf(m_master) : std::nullopt;
    if (m_masterOccurrence && m_repeats)
        m_masterOccurrence->recurrenceId = masterStart();
    m_expansion = Expansion{};
}

QList<DeviceEvent> VdirCalendarDatabaseItem::occurrences(Instant start, Instant end) const
{
    QList<DeviceEvent> result;
    if (m_master && !m_repeats) {
        if (overlaps(*m_masterOccurrence, start, end))
            result.append(*m_masterOccurrence);
        return result;
    }
    for (const Override &o : m_overrides) {
        if (m_master && isExcluded(o.recurrenceId))
            continue; // an EXDATE removes the occurrence even when an override exists
        auto event = occurrenceOf(o.component);
        if (!event || !overlaps(*event, start, end))
            continue;
        event->recurrenceId = o.recurrenceId;
        result.append(*event);
    }
    if (m_master) {
        for (const DeviceEvent &event : masterOccurrences(toUnixSeconds(start), toUnixSeconds(end) + 1)) {
            if (overlaps(event, start, end))
                result.append(event);
        }
    }
    return result;
}

std::optional<DeviceEvent> VdirCalendarDatabaseItem::firstOccurrence() const
{
    if (m_master)
        return m_masterOccurrence;
    std::optional<DeviceEvent> first;
    for (const Override &o : m_overrides) {
        auto event = occurrenceOf(o.component);
        if (event && (!first || event->start < first->start)) {
            event->recurrenceId = o.recurrenceId;
            first = event;
        }
    }
    return first;
}

bool VdirCalendarDatabaseItem::hasUnreadableLines() const
{
    return hasLossyErrors(m_calendar.get());
}

icalcomponent *VdirCalendarDatabaseItem::addOverride(qint64 recurrenceId)
{
    icalcomponent *component = icalcomponent_new_clone(m_master);
    for (icalproperty_kind kind : {ICAL_RRULE_PROPERTY, ICAL_RDATE_PROPERTY, ICAL_EXDATE_PROPERTY,
                                   ICAL_EXRULE_PROPERTY, ICAL_RECURRENCEID_PROPERTY})
        removeProperties(component, kind);
    const TimeForm form = startFormOf(m_master);
    icalcomponent_add_property(component, timeProperty(ICAL_RECURRENCEID_PROPERTY, timeIn(form, recurrenceId), form.tzid));
    icalcomponent_add_component(m_calendar.get(), component);
    m_overrides.append(Override{component, recurrenceId});
    return component;
}

void VdirCalendarDatabaseItem::writeTimes(icalcomponent *component, const DeviceEvent &event) const
{
    removeProperties(component, ICAL_DURATION_PROPERTY);
    if (event.isAllDay) {
        // The last day is the one holding the end's previous second, and at least the first day:
        // an end at midnight after the last day, at 23:59:59 on it, or equal to the start all work.
        const TimeForm date{TimeKind::Date, nullptr, {}};
        const Instant last = std::max(event.start, event.end.addingSeconds(-1));
        const qint64 first = libicalSecondsOf(event.start, TimeKind::Date, m_local);
        const qint64 after = libicalSecondsOf(last, TimeKind::Date, m_local) + kDaySeconds;
        replaceTime(component, ICAL_DTSTART_PROPERTY, timeIn(date, first));
        replaceTime(component, ICAL_DTEND_PROPERTY, timeIn(date, after));
        return;
    }
    // A time keeps the zone (or floating form) it was written in; a former date becomes UTC.
    TimeForm form = startFormOf(component);
    if (form.kind == TimeKind::Date)
        form = TimeForm{TimeKind::Absolute, utcZone(), {}};
    const Instant end = std::max(event.start, event.end);
    replaceTime(component, ICAL_DTSTART_PROPERTY, timeIn(form, libicalSecondsOf(event.start, form.kind, m_local)), form.tzid);
    replaceTime(component, ICAL_DTEND_PROPERTY, timeIn(form, libicalSecondsOf(end, form.kind, m_local)), form.tzid);
}

std::variant<DeviceEvent, QString> VdirCalendarDatabaseItem::save(const DeviceEvent &event, Instant now)
{
    if (hasUnreadableLines())
        return unreadableLines();
    icalcomponent_strip_errors(m_calendar.get());
    icalcomponent *target = m_master;
    std::optional<qint64> recurrenceId;
    if (m_repeats) {
        recurrenceId = event.recurrenceId.value_or(masterStart());
        if (isExcluded(*recurrenceId))
            return occurrenceGone();
        target = overrideFor(*recurrenceId);
        if (!target)
            target = addOverride(*recurrenceId);
    } else if (!m_master) {
        recurrenceId = event.recurrenceId;
        target = recurrenceId ? overrideFor(*recurrenceId) : nullptr;
        if (!target)
            return occurrenceGone();
    }

    setText(target, ICAL_SUMMARY_PROPERTY, event.title);
    setText(target, ICAL_DESCRIPTION_PROPERTY, event.notes);
    setText(target, ICAL_LOCATION_PROPERTY, event.location);
    writeTimes(target, event);
    replaceTime(target, ICAL_DTSTAMP_PROPERTY, utcTime(now));
    replaceTime(target, ICAL_LASTMODIFIED_PROPERTY, utcTime(now));
    icalcomponent_set_sequence(target, icalcomponent_get_sequence(target) + 1);

    updateDerived();
    DeviceEvent stored = *occurrenceOf(target); // DTSTART was just written
    stored.recurrenceId = recurrenceId;
    return stored;
}

void VdirCalendarDatabaseItem::removeComponent(icalcomponent *component)
{
    m_overrides.removeIf([&](const Override &o) { return o.component == component; });
    if (component == m_master)
        m_master = nullptr;
    icalcomponent_remove_component(m_calendar.get(), component);
    icalcomponent_free(component);
}

bool VdirCalendarDatabaseItem::holdsOtherContent() const
{
    icalcomponent *calendar = m_calendar.get();
    for (icalcomponent *child = icalcomponent_get_first_component(calendar, ICAL_ANY_COMPONENT); child;
         child = icalcomponent_get_next_component(calendar, ICAL_ANY_COMPONENT)) {
        if (icalcomponent_isa(child) != ICAL_VTIMEZONE_COMPONENT)
            return true;
    }
    return false;
}

std::variant<VdirCalendarDatabaseItem::Removal, QString> VdirCalendarDatabaseItem::remove(const DeviceEvent &event)
{
    if (hasUnreadableLines())
        return unreadableLines();
    icalcomponent_strip_errors(m_calendar.get());
    if (m_repeats) {
        const qint64 recurrenceId = event.recurrenceId.value_or(masterStart());
        if (!isExcluded(recurrenceId)) {
            const TimeForm form = startFormOf(m_master);
            icalcomponent_add_property(m_master, timeProperty(ICAL_EXDATE_PROPERTY, timeIn(form, recurrenceId), form.tzid));
        }
        if (icalcomponent *replaced = overrideFor(recurrenceId))
            removeComponent(replaced);
    } else if (m_master) {
        while (!m_overrides.isEmpty())
            removeComponent(m_overrides.constFirst().component);
        removeComponent(m_master);
    } else {
        icalcomponent *component = event.recurrenceId ? overrideFor(*event.recurrenceId) : nullptr;
        if (!component)
            return occurrenceGone();
        removeComponent(component);
    }
    updateDerived();
    return holdsOtherContent() ? Removal::Rewrite : Removal::DeleteFile;
}

QByteArray VdirCalendarDatabaseItem::serialized() const
{
    char *text = icalcomponent_as_ical_string_r(m_calendar.get());
    const QByteArray result(text);
    icalmemory_free_buffer(text);
    return result;
}
