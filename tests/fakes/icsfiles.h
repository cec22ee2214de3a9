#pragma once

#include "instant.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

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
