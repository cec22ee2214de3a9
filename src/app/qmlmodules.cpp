#include "application.h"

#include <QtQml/qqmlextensionplugin.h>

// Every QML module of the application is a static plugin; importing them here links them in.
Q_IMPORT_QML_PLUGIN(Dayloom_PlatformPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_UiPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_PhotosPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_AccountPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_EditorPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_CalendarPlugin)
Q_IMPORT_QML_PLUGIN(Dayloom_AppPlugin)

void registerDayloomQmlModules() {}
