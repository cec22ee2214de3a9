#include "segmentselection.h"

SegmentSelection::SegmentSelection(QObject *parent) : QObject(parent) {}

void SegmentSelection::setCount(int count)
{
    if (m_count == count)
        return;
    m_count = count;
    emit countChanged();
}

void SegmentSelection::setCurrentIndex(int index)
{
    if (m_currentIndex == index)
        return;
    m_currentIndex = index;
    emit currentIndexChanged();
}

void SegmentSelection::choose(int index)
{
    if (index < 0 || index >= m_count || index == m_currentIndex)
        return;
    setCurrentIndex(index);
    emit activated(index);
}

void SegmentSelection::step(int delta)
{
    if (m_count == 0)
        return;
    const int from = m_currentIndex < 0 ? (delta > 0 ? -1 : m_count) : m_currentIndex;
    choose(qBound(0, from + delta, m_count - 1));
}
