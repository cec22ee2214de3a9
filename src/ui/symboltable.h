#pragma once

#include <QString>
#include <QStringList>

// Maps the symbol names the interface uses ("line.3.horizontal", "chevron.left", …) to the icons
// shipped with the application, SVG files drawn black on transparent at a 24 by 24 view box.
// White parts of an icon are cut-outs: they stay transparent when the icon is tinted.
class SymbolTable
{
public:
    // Every known symbol name.
    static const QStringList &names();
    static bool contains(const QString &name);

    // The resource path of the symbol's icon. An unknown name warns once and gives the
    // fallback icon, a dashed square with a question mark, so the gap shows on screen.
    static QString resourcePath(const QString &name);
    static QString fallbackPath();
};
