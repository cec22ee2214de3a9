#pragma once

#include <QByteArray>
#include <QString>

// Copies of stored data that could not be read, kept so that the next save under the same key
// does not destroy the user's only copy.
namespace RecoveryCopy {

// "Recovered" in the application data directory.
QString defaultFolder();

// Writes `bytes` to a new file "<name>-<UTC time stamp>.json" in `folder` (never replacing an
// existing file) and says on standard error where the copy is. False when it could not be written.
bool keep(const QString &folder, const QString &name, const QByteArray &bytes);

} // namespace RecoveryCopy
