#include "editorlocator.h"

#include <QFile>

namespace {
const QString kEditorResource = QStringLiteral(":/Dayloom/Editor/EditEventView.qml");
}

QUrl EditorLocator::url()
{
    return QUrl(QStringLiteral("qrc") + kEditorResource);
}

bool EditorLocator::available()
{
    return QFile::exists(kEditorResource);
}
