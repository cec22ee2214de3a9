#include "monthgridmodel.h"

#include "clock.h"
#include "eventstore.h"

MonthGridModel::MonthGridModel(QObject *parent) : QAbstractListModel(parent), m_selected(Clock::shared().now())
{
    connect(&m_watch, &StoreWatch::changed, this, &MonthGridModel::refresh);
}

void MonthGridModel::setStore(EventStore *store)
{
    if (m_watch.setStore(store))
        emit storeChanged();
}

void MonthGridModel::setSelectedDate(const QDateTime &date)
{
    if (!assignFromQml(m_selected, date))
        return;
    refresh();
    emit selectedDateChanged();
}

void MonthGridModel::setMaxItems(int maxItems)
{
    if (maxItems == m_maxItems)
        return;
    m_maxItems = maxItems;
    refresh();
    emit maxItemsChanged();
}

void MonthGridModel::setMetric(double &metric, double value)
{
    if (metric == value)
        return;
    metric = value;
    refresh();
    emit metricsChanged();
}

void MonthGridModel::setCellHeight(double height)
{
    setMetric(m_cellHeight, height);
}

void MonthGridModel::setChipHeight(double height)
{
    setMetric(m_metrics.chipHeight, height);
}

void MonthGridModel::setMoreLineHeight(double height)
{
    setMetric(m_metrics.moreLineHeight, height);
}

void MonthGridModel::setChipSpacing(double spacing)
{
    setMetric(m_metrics.spacing, spacing);
}

QStringList MonthGridModel::weekdaySymbols() const
{
    const Calendar calendar = store() ? store()->calendar() : Calendar::current();
    QStringList symbols = orderedWeekdaySymbols(shortWeekdaySymbols(calendar.locale()), calendar.firstWeekday());
    for (QString &symbol : symbols)
        symbol = calendar.locale().toUpper(symbol);
    return symbols;
}

MonthGridModel::Cell MonthGridModel::cellFor(Instant day, Instant today) const
{
    const EventStore &events = *store();
    const Calendar &calendar = events.calendar();
    const QDate date = calendar.dateOf(day);
    const QDate selected = calendar.dateOf(m_selected);
    Cell cell;
    cell.date = day;
    cell.label = dayLabelText(day, calendar);
    cell.isToday = calendar.isSameDay(day, today);
    cell.isSelected = date == selected;
    cell.inMonth = date.year() == selected.year() && date.month() == selected.month();
    cell.style = dayLabelStyle(cell.isSelected, cell.isToday, cell.inMonth);
    const DayCellContent content = fittingDayCellContent(shownHolidays(events, day), events.visibleEventsForDay(day),
                                                         m_maxItems, chipColumnHeight(m_cellHeight, labelHeight()), m_metrics);
    for (const Holiday &holiday : content.holidays)
        cell.holidays.append(holiday.name);
    for (const CalendarEvent &event : content.events)
        cell.events.append(eventSummary(event, events));
    cell.more = moreText(content.hidden);
    return cell;
}

void MonthGridModel::refresh()
{
    QList<Cell> cells;
    if (store()) {
        const Instant today = Clock::shared().now();
        for (const QList<Instant> &week : monthWeeks(m_selected, store()->calendar())) {
            for (const Instant day : week)
                cells.append(cellFor(day, today));
        }
    }
    if (cells.size() == m_cells.size()) {
        // Only the cells that differ are redrawn; a change of one event touches a few days.
        for (int row = 0; row < cells.size(); ++row) {
            if (cells.at(row) == m_cells.at(row))
                continue;
            m_cells[row] = cells.at(row);
            emit dataChanged(index(row), index(row));
        }
        return;
    }
    beginResetModel();
    m_cells = std::move(cells);
    endResetModel();
    emit rowsChanged();
}

int MonthGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cells.size());
}

QVariant MonthGridModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Cell &cell = m_cells.at(index.row());
    switch (role) {
    case DateRole: return toQml(cell.date);
    case LabelRole: return cell.label;
    case LabelStyleRole: return int(cell.style);
    case HolidaysRole: return cell.holidays;
    case EventsRole: return cell.events;
    case MoreTextRole: return cell.more;
    case IsTodayRole: return cell.isToday;
    case IsSelectedRole: return cell.isSelected;
    case InMonthRole: return cell.inMonth;
    default: return {};
    }
}

QHash<int, QByteArray> MonthGridModel::roleNames() const
{
    return {
            {DateRole, "date"},
            {LabelRole, "label"},
            {LabelStyleRole, "labelStyle"},
            {HolidaysRole, "holidays"},
            {EventsRole, "events"},
            {MoreTextRole, "moreText"},
            {IsTodayRole, "isToday"},
            {IsSelectedRole, "isSelected"},
            {InMonthRole, "inMonth"},
    };
}
