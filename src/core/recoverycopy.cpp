#include "recoverycopy.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace RecoveryCopy {

QString defaultFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("Recovered"));
}

bool keep(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(folder);
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString base = QDir(folder).filePath(name + QLatin1Char('-') + stamp);
    QString path = base + QStringLiteral(".json");
    for (int n = 2; QFile::exists(path); ++n)
        path = base + QLatin1Char('-') + QString::number(n) + QStringLiteral(".json");
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) {
        qWarning("Dayloom: the stored %s could not be read; a copy was kept at %s.", qUtf8Printable(name),
                 qUtf8Printable(path));
        return true;
    }
    qWarning("Dayloom: the stored %s could not be read, and no copy could be written to %s.", qUtf8Printable(name),
             qUtf8Printable(path));
    return false;
}

} // namespace RecoveryCopy
