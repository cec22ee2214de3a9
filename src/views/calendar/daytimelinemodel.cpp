#include "daytimelinemodel.h"

#include "calendarformat.h"
#include "clock.h"
#include "eventstore.h"
#include "palette.h"

#include <QRectF>

namespace {
constexpr double kNowDotSize = 8;
}

DayTimelineModel::DayTimelineModel(QObject *parent) : QObject(parent), m_date(Clock::shared().now())
{
    connect(&m_watch, &StoreWatch::changed, this, &DayTimelineModel::refresh);
    refresh();
}

void DayTimelineModel::setStore(EventStore *store)
{
    if (m_watch.setStore(store))
        emit storeChanged();
}

void DayTimelineModel::setDate(const QDateTime &date)
{
    if (!assignFromQml(m_date, date))
        return;
    refresh();
    emit dateChanged();
}

void DayTimelineModel::setMetric(double &metric, double value)
{
    if (metric == value)
        return;
    metric = value;
    refresh();
    emit metricsChanged();
}

void DayTimelineModel::setHourHeight(double height)
{
    setMetric(m_metrics.hourHeight, height);
}

void DayTimelineModel::setLabelWidth(double width)
{
    setMetric(m_metrics.labelWidth, width);
}

void DayTimelineModel::setLayerWidth(double width)
{
    setMetric(m_metrics.layerWidth, width);
}

Calendar DayTimelineModel::calendar() const
{
    return store() ? store()->calendar() : Calendar::current();
}

QStringList DayTimelineModel::hourLabels() const
{
    QStringList labels;
    for (int hour = 0; hour < 24; ++hour)
        labels.append(hourLabel(hour));
    return labels;
}

QDateTime DayTimelineModel::slotStart(int hour) const
{
    const auto start = hourSlotStart(m_date, hour, calendar());
    return start ? toQml(*start) : QDateTime();
}

QDateTime DayTimelineModel::steppedDate(int n) const
{
    return toQml(calendar().addDays(m_date, n));
}

QVariantMap DayTimelineModel::blockFor(const Placed &placed) const
{
    const Calendar cal = calendar();
    const BlockGeometry geometry = blockGeometry(placed, m_metrics);
    const CalendarEvent &event = placed.event;
    return {
            {QStringLiteral("eventId"), event.id},
            {QStringLiteral("title"), event.title},
            {QStringLiteral("colour"), colourNamed(event.colorName)},
            {QStringLiteral("timeText"), QString(CalendarFormat::shortTime(event.startTime, cal) + QStringLiteral(" – ")
                                                         + CalendarFormat::shortTime(event.endTime, cal))},
            {QStringLiteral("location"), event.location},
            {QStringLiteral("instructor"), event.instructor},
            {QStringLiteral("column"), placed.column},
            {QStringLiteral("columns"), placed.columns},
            {QStringLiteral("x"), geometry.x},
            {QStringLiteral("y"), geometry.y},
            {QStringLiteral("width"), geometry.width},
            {QStringLiteral("height"), geometry.height},
    };
}

void DayTimelineModel::refresh()
{
    const Calendar cal = calendar();
    const Instant now = Clock::shared().now();
    m_weekdayText = CalendarFormat::weekdayName(m_date, cal);
    m_dateText = CalendarFormat::longDate(m_date, cal);
    m_isToday = cal.isSameDay(m_date, now);
    m_scrollTargetHour = ::scrollTargetHour(m_date, now, cal);
    m_nowLine = QRectF();
    if (m_isToday) {
        const double y = currentTimeY(now, cal, m_metrics.hourHeight);
        const double left = m_metrics.eventsLeft();
        m_nowLine = QRectF(left - kNowDotSize / 2, y - kNowDotSize / 2, m_metrics.layerWidth - left, kNowDotSize);
    }
    m_allDayEvents.clear();
    m_blocks.clear();
    if (const EventStore *events = store()) {
        QList<CalendarEvent> timed;
        for (const CalendarEvent &event : events->visibleEventsForDay(m_date)) {
            if (event.isAllDay)
                m_allDayEvents.append(eventSummary(event, *events));
            else
                timed.append(event);
        }
        for (const Placed &placed : placeTimedEvents(timed, cal.startOfDay(m_date), cal))
            m_blocks.append(blockFor(placed));
    }
    emit contentChanged();
}
