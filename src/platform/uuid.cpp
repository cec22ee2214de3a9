#include "uuid.h"

namespace Uuid {

QString create()
{
    return toText(QUuid::createUuid());
}

QString toText(const QUuid &uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

QString normalized(const QString &text)
{
    if (text.size() != 36)
        return {};
    const QUuid uuid = QUuid::fromString(text);
    return uuid.isNull() ? QString() : toText(uuid);
}

bool isCanonical(const QString &text)
{
    return !text.isEmpty() && normalized(text) == text;
}

}
