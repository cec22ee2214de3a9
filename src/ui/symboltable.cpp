#include "symboltable.h"

#include <QLoggingCategory>
#include <QSet>

namespace {

Q_LOGGING_CATEGORY(lcSymbols, "dayloom.ui.symbols")

const QString kIconFolder = QStringLiteral(":/Dayloom/Ui/icons/");

}

const QStringList &SymbolTable::names()
{
    static const QStringList known = {
        QStringLiteral("arrow.triangle.2.circlepath"),
        QStringLiteral("arrow.up.left.and.arrow.down.right"),
        QStringLiteral("calendar"),
        QStringLiteral("calendar.day.timeline.left"),
        QStringLiteral("camera.fill"),
        QStringLiteral("checkmark"),
        QStringLiteral("checkmark.circle"),
        QStringLiteral("checkmark.icloud"),
        QStringLiteral("checkmark.square.fill"),
        QStringLiteral("chevron.left"),
        QStringLiteral("chevron.right"),
        QStringLiteral("g.circle.fill"),
        QStringLiteral("gearshape"),
        QStringLiteral("icloud.slash"),
        QStringLiteral("line.3.horizontal"),
        QStringLiteral("mappin.and.ellipse"),
        QStringLiteral("paperclip"),
        QStringLiteral("person"),
        QStringLiteral("person.crop.circle"),
        QStringLiteral("person.fill"),
        QStringLiteral("photo.badge.plus"),
        QStringLiteral("plus"),
        QStringLiteral("rectangle.portrait.and.arrow.right"),
        QStringLiteral("repeat"),
        QStringLiteral("square"),
        QStringLiteral("star.circle.fill"),
        QStringLiteral("trash"),
        QStringLiteral("trash.circle.fill"),
        QStringLiteral("xmark.circle.fill"),
    };
    return known;
}

bool SymbolTable::contains(const QString &name)
{
    static const QSet<QString> known(names().cbegin(), names().cend());
    return known.contains(name);
}

QString SymbolTable::resourcePath(const QString &name)
{
    if (contains(name))
        return kIconFolder + name + QStringLiteral(".svg");
    // Warn once per name: an icon repaints often, and one line is enough to find the typo.
    static QSet<QString> reported;
    if (!reported.contains(name)) {
        reported.insert(name);
        qCWarning(lcSymbols, "Unknown symbol \"%s\", showing the fallback icon", qUtf8Printable(name));
    }
    return fallbackPath();
}

QString SymbolTable::fallbackPath()
{
    return kIconFolder + QStringLiteral("questionmark.square.dashed.svg");
}
