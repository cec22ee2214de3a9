#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// The selection of a SegmentedControl. A choice by the user moves `currentIndex` without breaking
// a binding on it, and is announced with activated(); out-of-range choices are ignored.
class SegmentSelection : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(int count READ count WRITE setCount NOTIFY countChanged)
    Q_PROPERTY(int currentIndex READ currentIndex WRITE setCurrentIndex NOTIFY currentIndexChanged)

public:
    explicit SegmentSelection(QObject *parent = nullptr);

    int count() const { return m_count; }
    void setCount(int count);
    int currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(int index);

    // The user picks a segment, or moves the selection by `delta` segments (arrow keys).
    Q_INVOKABLE void choose(int index);
    Q_INVOKABLE void step(int delta);

signals:
    void countChanged();
    void currentIndexChanged();
    void activated(int index);

private:
    int m_count = 0;
    int m_currentIndex = -1;
};
