#pragma once

#include "calendardata.h"
#include "daytimeline.h"

#include <QDateTime>
#include <QRectF>
#include <QObject>
#include <QStringList>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include "eventstore.h"

// The content of the day timeline for one day, for QML: the header texts, the all-day events,
// the placed blocks of the timed events with their geometry, and the current-time line.
// Recomputed whenever the store's events, a show setting, the day or a metric changes.
//   DayTimelineModel { store: root.store; date: root.date; layerWidth: hours.width }
class DayTimelineModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(EventStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(QDateTime date READ date WRITE setDate NOTIFY dateChanged)
    Q_PROPERTY(double hourHeight READ hourHeight WRITE setHourHeight NOTIFY metricsChanged)
    Q_PROPERTY(double labelWidth READ labelWidth WRITE setLabelWidth NOTIFY metricsChanged)
    Q_PROPERTY(double layerWidth READ layerWidth WRITE setLayerWidth NOTIFY metricsChanged)
    Q_PROPERTY(QStringList hourLabels READ hourLabels CONSTANT)
    Q_PROPERTY(QString weekdayText READ weekdayText NOTIFY contentChanged)
    Q_PROPERTY(QString dateText READ dateText NOTIFY contentChanged)
    Q_PROPERTY(QVariantList allDayEvents READ allDayEvents NOTIFY contentChanged)
    Q_PROPERTY(QVariantList blocks READ blocks NOTIFY contentChanged)
    Q_PROPERTY(bool isToday READ isToday NOTIFY contentChanged)
    Q_PROPERTY(QRectF nowLine READ nowLine NOTIFY contentChanged)
    Q_PROPERTY(int scrollTargetHour READ scrollTargetHour NOTIFY contentChanged)

public:
    explicit DayTimelineModel(QObject *parent = nullptr);

    EventStore *store() const { return m_watch.store(); }
    void setStore(EventStore *store);
    QDateTime date() const { return toQml(m_date); }
    void setDate(const QDateTime &date);
    double hourHeight() const { return m_metrics.hourHeight; }
    void setHourHeight(double height);
    double labelWidth() const { return m_metrics.labelWidth; }
    void setLabelWidth(double width);
    double layerWidth() const { return m_metrics.layerWidth; }
    void setLayerWidth(double width);

    QStringList hourLabels() const;
    QString weekdayText() const { return m_weekdayText; }
    QString dateText() const { return m_dateText; }
    QVariantList allDayEvents() const { return m_allDayEvents; }
    QVariantList blocks() const { return m_blocks; }
    bool isToday() const { return m_isToday; }
    // The current-time line's box (its dot starts at x); empty when the day is not today.
    QRectF nowLine() const { return m_nowLine; }
    int scrollTargetHour() const { return m_scrollTargetHour; }

    // The start of a new event tapped in the row of `hour`; invalid when there is none.
    Q_INVOKABLE QDateTime slotStart(int hour) const;
    // The shown day moved by n days, keeping the time of day.
    Q_INVOKABLE QDateTime steppedDate(int n) const;
    // +1 (next day), -1 (previous day) or 0 for a finished drag.
    Q_INVOKABLE int swipeStep(double dx, double dy) const { return swipeDayStep(dx, dy); }

signals:
    void storeChanged();
    void dateChanged();
    void metricsChanged();
    void contentChanged();

private:
    void refresh();
    void setMetric(double &metric, double value);
    Calendar calendar() const;
    QVariantMap blockFor(const Placed &placed) const;

    StoreWatch m_watch;
    Instant m_date;
    TimelineMetrics m_metrics;
    QString m_weekdayText;
    QString m_dateText;
    QVariantList m_allDayEvents;
    QVariantList m_blocks;
    bool m_isToday = false;
    QRectF m_nowLine;
    int m_scrollTargetHour = 7;
};
