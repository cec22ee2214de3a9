// Links the account's QML test fixture into the QML test runner.
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(Dayloom_AccountTestingPlugin)
