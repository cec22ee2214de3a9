#pragma once

#include "calendar.h"

#include <QList>
#include <QQuickWindow>
#include <QString>
#include <QVariantMap>

// One shot of the event editor: its file name and the initial properties of EditorShot.qml.
struct EditorShot
{
    QString name;
    QVariantMap properties;
};

// The editor for a new event (blank, and filled in as a weekly class), for a stored event, for a
// member of a weekly series, with the delete choice open, and with a link that needs fixing. The
// events they show live in a store of their own until the program ends.
QList<EditorShot> editorShots(const Calendar &calendar);

// Runs the event loop for a moment, so that the sheet opens, lays out its sections and scrolls
// to the part the shot is about.
void settleEditorShot(QQuickWindow *window);
