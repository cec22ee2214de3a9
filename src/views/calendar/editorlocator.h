#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Where the event editor's QML lives, so that the calendar views can open it as a sheet; the
// views keep working without an editor when the application is built without one.
class EditorLocator : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(QUrl url READ url CONSTANT)
    Q_PROPERTY(bool available READ available CONSTANT)

public:
    explicit EditorLocator(QObject *parent = nullptr) : QObject(parent) {}

    static QUrl url();
    static bool available();
};
