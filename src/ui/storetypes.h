#pragma once

#include "eventstore.h"

#include <QtQml/qqml.h>

// The application's stores as QML sees them: created once by the application, never by QML,
// and handed to the screens as properties.
struct EventStoreForeign
{
    Q_GADGET
    QML_FOREIGN(EventStore)
    QML_NAMED_ELEMENT(EventStore)
    QML_UNCREATABLE("The event store is created by the application.")
};
