#pragma once

#include "instant.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <libical/ical.h>

// Helpers for tests that work on iCalendar files in a vdir tree.

inline QString fixturePath(const QString &name)
{
    return QStringLiteral(DAYLOOM_FIXTURES "/ics/") + name;
}

inline QByteArray fixture(const QString &name)
{
    QFile file(fixturePath(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Events wrapped into a calendar, lines ending in CRLF as iCalendar wants.
inline QByteArray calendarText(const QByteArray &body)
{
    QByteArray text = "BEGIN:VCALENDAR\nVERSION:2.0\nPRODID:-//Test//EN\n" + body + "END:VCALENDAR\n";
    return text.replace("\n", "\r\n");
}

inline Instant utc(const char *iso)
{
    return Instant::fromDateTime(QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate));
}

inline QString utcText(Instant t)
{
    return t.toDateTime().toUTC().toString(Qt::ISODate);
}

// What another program reading the file sees: one VCALENDAR, parsed by libical, with its VEVENTs.
struct ParsedFile
{
    int calendars = 0;
    QStringList uids;
    QStringList recurrenceIds;
    QStringList startsUtc;
};

inline ParsedFile parseWithLibical(const QByteArray &text)
{
    ParsedFile parsed;
    parsed.calendars = int(text.count("BEGIN:VCALENDAR"));
    icalcomponent *calendar = icalparser_parse_string(text.constData());
    if (!calendar)
        return parsed;
    for (icalcomponent *event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT)) {
        parsed.uids.append(QString::fromUtf8(icalcomponent_get_uid(event)));
        if (icalproperty *rid = icalcomponent_get_first_property(event, ICAL_RECURRENCEID_PROPERTY))
            parsed.recurrenceIds.append(QString::fromUtf8(icalproperty_get_value_as_string(rid)));
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const time_t seconds = icaltime_as_timet_with_zone(start, start.zone ? start.zone : icaltimezone_get_utc_timezone());
        parsed.startsUtc.append(QDateTime::fromSecsSinceEpoch(seconds).toUTC().toString(Qt::ISODate));
    }
    icalcomponent_free(calendar);
    return parsed;
}
