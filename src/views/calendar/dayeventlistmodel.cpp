#include "dayeventlistmodel.h"

#include "clock.h"
#include "daylist.h"
#include "eventstore.h"
#include "palette.h"

#include <algorithm>

DayEventListModel::DayEventListModel(QObject *parent) : QAbstractListModel(parent), m_date(Clock::shared().now())
{
    connect(&m_watch, &StoreWatch::changed, this, &DayEventListModel::refresh);
}

void DayEventListModel::setStore(EventStore *store)
{
    if (m_watch.setStore(store))
        emit storeChanged();
}

void DayEventListModel::setDate(const QDateTime &date)
{
    if (!assignFromQml(m_date, date))
        return;
    refresh();
    emit dateChanged();
}

void DayEventListModel::remove(const QString &eventId)
{
    if (!store())
        return;
    if (const auto event = findEvent(*store(), eventId))
        store()->remove(*event);
}

namespace {

bool sameIds(const QList<CalendarEvent> &a, const QList<CalendarEvent> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const CalendarEvent &x, const CalendarEvent &y) { return x.id == y.id; });
}

}

void DayEventListModel::refresh()
{
    QList<CalendarEvent> events;
    QStringList holidays;
    QString headerText;
    if (const EventStore *store = this->store()) {
        events = store->visibleEventsForDay(m_date);
        for (const Holiday &holiday : shownHolidays(*store, m_date))
            holidays.append(holiday.name);
        headerText = dayHeaderText(m_date, Clock::shared().now(), store->calendar());
    }
    if (events == m_events && holidays == m_holidays && headerText == m_headerText)
        return;
    if (sameIds(events, m_events)) {
        // The same rows: redraw those whose event changed, keeping the list's delegates.
        for (int row = 0; row < events.size(); ++row) {
            const bool changed = events.at(row) != m_events.at(row);
            m_events[row] = events.at(row);
            if (changed)
                emit dataChanged(index(row), index(row));
        }
    } else {
        beginResetModel();
        m_events = std::move(events);
        endResetModel();
    }
    m_holidays = holidays;
    m_headerText = headerText;
    emit contentChanged();
}

int DayEventListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_events.size());
}

QVariant DayEventListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || !store())
        return {};
    const CalendarEvent &event = m_events.at(index.row());
    switch (role) {
    case EventIdRole: return event.id;
    case TitleRole: return event.title;
    case ColourRole: return colourNamed(event.colorName);
    case TimeTextRole: return rowTimeText(event, store()->calendar());
    case DetailTextRole: return rowDetailText(event).value_or(QString());
    case NotesRole: return event.notes;
    case LinkUrlRole: return attachmentLink(event).value_or(QUrl()).toString();
    case LinkNameRole: return event.attachment ? event.attachment->name : QString();
    case IsRepeatingRole: return event.seriesId.has_value();
    case IsSyncedRole: return isSyncedWithGoogle(event);
    default: return {};
    }
}

QHash<int, QByteArray> DayEventListModel::roleNames() const
{
    return {
            {EventIdRole, "eventId"},
            {TitleRole, "title"},
            {ColourRole, "colour"},
            {TimeTextRole, "timeText"},
            {DetailTextRole, "detailText"},
            {NotesRole, "notes"},
            {LinkUrlRole, "linkUrl"},
            {LinkNameRole, "linkName"},
            {IsRepeatingRole, "isRepeating"},
            {IsSyncedRole, "isSynced"},
    };
}
