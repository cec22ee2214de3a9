#pragma once

#include "calendarevent.h"

#include <QByteArray>

#include <optional>

// The stored form of the event list: one compact JSON array of event objects, keys in field order,
// absent optionals left out, instants as seconds since 2001 printed so they read back exactly.
namespace EventCodec {

// Empty when an event cannot be encoded (an instant that is not a finite number).
std::optional<QByteArray> encode(const QList<CalendarEvent> &events);

// The decoded list, or nothing when the bytes are not such an array or any element cannot be read.
// Records written by earlier versions are read with defaults; see eventcodec.cpp.
std::optional<QList<CalendarEvent>> decode(const QByteArray &json);

}
