#include "focusscroller.h"

#include <QQuickWindow>

FocusScroller::FocusScroller(QObject *parent) : QObject(parent) {}

void FocusScroller::setFlickable(QQuickItem *flickable)
{
    if (m_flickable == flickable)
        return;
    if (m_flickable)
        disconnect(m_flickable, nullptr, this, nullptr);
    m_flickable = flickable;
    if (m_flickable)
        connect(m_flickable, &QQuickItem::windowChanged, this, &FocusScroller::watchWindow);
    watchWindow();
    emit flickableChanged();
}

void FocusScroller::setMargin(qreal margin)
{
    if (qFuzzyCompare(m_margin, margin))
        return;
    m_margin = margin;
    emit marginChanged();
}

qreal FocusScroller::contentYShowing(qreal contentY, qreal viewHeight, qreal contentHeight, qreal top,
                                     qreal bottom, qreal margin)
{
    qreal target = contentY;
    // A span taller than the view shows its top.
    if (bottom + margin > contentY + viewHeight)
        target = bottom + margin - viewHeight;
    if (top - margin < target)
        target = top - margin;
    return qBound<qreal>(0, target, qMax<qreal>(0, contentHeight - viewHeight));
}

void FocusScroller::watchWindow()
{
    disconnect(m_focusConnection);
    if (m_flickable && m_flickable->window()) {
        m_focusConnection = connect(m_flickable->window(), &QQuickWindow::activeFocusItemChanged, this,
                                    &FocusScroller::showFocusedItem);
    }
}

void FocusScroller::showFocusedItem()
{
    if (!m_flickable || !m_flickable->window())
        return;
    QQuickItem *focused = m_flickable->window()->activeFocusItem();
    auto *content = m_flickable->property("contentItem").value<QQuickItem *>();
    if (!focused || !content || !content->isAncestorOf(focused))
        return;
    const QRectF span = focused->mapRectToItem(content, QRectF(0, 0, focused->width(), focused->height()));
    const qreal contentY = m_flickable->property("contentY").toReal();
    const qreal target = contentYShowing(contentY, m_flickable->height(),
                                         m_flickable->property("contentHeight").toReal(), span.top(),
                                         span.bottom(), m_margin);
    if (!qFuzzyCompare(target + 1, contentY + 1))
        m_flickable->setProperty("contentY", target);
}
