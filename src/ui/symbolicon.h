#pragma once

#include <QColor>
#include <QImage>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

// A symbol of the interface drawn in one colour:
//   SymbolIcon { name: "chevron.left"; color: Theme.accent; size: 20 }
// Its implicit size is `size` by `size`; an unknown name shows the fallback icon.
class SymbolIcon : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged)
    Q_PROPERTY(qreal size READ size WRITE setSize NOTIFY sizeChanged)

public:
    explicit SymbolIcon(QQuickItem *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    qreal size() const { return m_size; }
    void setSize(qreal size);

    void paint(QPainter *painter) override;

signals:
    void nameChanged();
    void colorChanged();
    void sizeChanged();

private:
    void invalidate();

    QString m_name;
    QColor m_color = Qt::black;
    qreal m_size = 17;
    QImage m_image; // the rendered symbol, redrawn when a property or the item's size changes
};
