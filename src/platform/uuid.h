#pragma once

#include <QString>
#include <QUuid>

// UUIDs travel as upper-case canonical text (8-4-4-4-12 hexadecimal digits with hyphens).
namespace Uuid {
QString create();
QString toText(const QUuid &uuid);
// The canonical upper-case form of `text`, or an empty string when it is no UUID.
QString normalized(const QString &text);
bool isCanonical(const QString &text);
}
