#include "symbolicon.h"

#include "symbolimage.h"

#include <QPainter>
#include <QQuickWindow>

SymbolIcon::SymbolIcon(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setImplicitSize(m_size, m_size);
    setAntialiasing(true);
    connect(this, &QQuickItem::widthChanged, this, &SymbolIcon::invalidate);
    connect(this, &QQuickItem::heightChanged, this, &SymbolIcon::invalidate);
}

void SymbolIcon::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    invalidate();
    emit nameChanged();
}

void SymbolIcon::setColor(const QColor &color)
{
    if (m_color == color)
        return;
    m_color = color;
    invalidate();
    emit colorChanged();
}

void SymbolIcon::setSize(qreal size)
{
    if (qFuzzyCompare(m_size, size))
        return;
    m_size = size;
    setImplicitSize(size, size);
    invalidate();
    emit sizeChanged();
}

void SymbolIcon::invalidate()
{
    m_image = QImage();
    update();
}

void SymbolIcon::paint(QPainter *painter)
{
    if (m_name.isEmpty())
        return;
    // The icon keeps its square shape, centred in whatever box the layout gives the item.
    const qreal side = qMin(width(), height());
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const int pixels = qRound(side * ratio);
    if (m_image.isNull() || m_image.width() != pixels) {
        m_image = renderSymbol(m_name, pixels, m_color);
        m_image.setDevicePixelRatio(ratio);
    }
    const QRectF target((width() - side) / 2, (height() - side) / 2, side, side);
    painter->drawImage(target, m_image);
}
