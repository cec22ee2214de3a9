#pragma once

#include <QColor>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// The named event colours for QML: the editor's choices in order, and the colour of a name.
// Not called Palette, which QtQuick already uses for its own type.
class EventPalette : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QStringList names READ names CONSTANT)
    Q_PROPERTY(QVariantList colours READ colours CONSTANT)
    Q_PROPERTY(QString defaultName READ defaultName CONSTANT)

public:
    explicit EventPalette(QObject *parent = nullptr);

    QStringList names() const;
    // The colours in the order of names().
    QVariantList colours() const;
    QString defaultName() const;

    // The accent colour for a name not in the palette.
    Q_INVOKABLE QColor colourNamed(const QString &name) const;
};
