#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

// Keeps the item with keyboard focus visible in a Flickable: when Tab moves focus to a field
// outside the visible part, the Flickable scrolls just far enough to show it with a margin.
//   FocusScroller { flickable: flick }
class FocusScroller : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QQuickItem *flickable READ flickable WRITE setFlickable NOTIFY flickableChanged)
    Q_PROPERTY(qreal margin READ margin WRITE setMargin NOTIFY marginChanged)

public:
    explicit FocusScroller(QObject *parent = nullptr);

    QQuickItem *flickable() const { return m_flickable; }
    void setFlickable(QQuickItem *flickable);
    qreal margin() const { return m_margin; }
    void setMargin(qreal margin);

    // The content position that shows the span [top, bottom] of the content (content
    // coordinates) in a view of `viewHeight`, moving as little as possible from `contentY`.
    static qreal contentYShowing(qreal contentY, qreal viewHeight, qreal contentHeight, qreal top,
                                 qreal bottom, qreal margin);

signals:
    void flickableChanged();
    void marginChanged();

private:
    void watchWindow();
    void showFocusedItem();

    QPointer<QQuickItem> m_flickable;
    QMetaObject::Connection m_focusConnection;
    qreal m_margin = 12;
};
