#pragma once

#include "calendardata.h"
#include "monthgrid.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QtQml/qqmlregistration.h>

#include "eventstore.h"

// The day cells of the month grid, row by row, for QML. Every change of the store's events, of
// a show setting, of the selected day or of the room in a cell refreshes the cells in place.
//   MonthGridModel { store: screen.store; selectedDate: screen.selectedDate; cellHeight: … }
class MonthGridModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(EventStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(QDateTime selectedDate READ selectedDate WRITE setSelectedDate NOTIFY selectedDateChanged)
    Q_PROPERTY(int maxItems READ maxItems WRITE setMaxItems NOTIFY maxItemsChanged)
    Q_PROPERTY(double cellHeight READ cellHeight WRITE setCellHeight NOTIFY metricsChanged)
    Q_PROPERTY(double labelHeight READ labelHeight NOTIFY metricsChanged)
    Q_PROPERTY(double chipHeight READ chipHeight WRITE setChipHeight NOTIFY metricsChanged)
    Q_PROPERTY(double moreLineHeight READ moreLineHeight WRITE setMoreLineHeight NOTIFY metricsChanged)
    Q_PROPERTY(double chipSpacing READ chipSpacing WRITE setChipSpacing NOTIFY metricsChanged)
    Q_PROPERTY(int rows READ rows NOTIFY rowsChanged)
    Q_PROPERTY(QStringList weekdaySymbols READ weekdaySymbols NOTIFY storeChanged)

public:
    enum Role {
        DateRole = Qt::UserRole + 1,
        LabelRole,
        LabelStyleRole,
        HolidaysRole,
        EventsRole,
        MoreTextRole,
        IsTodayRole,
        IsSelectedRole,
        InMonthRole,
    };

    explicit MonthGridModel(QObject *parent = nullptr);

    EventStore *store() const { return m_watch.store(); }
    void setStore(EventStore *store);
    QDateTime selectedDate() const { return toQml(m_selected); }
    void setSelectedDate(const QDateTime &date);
    int maxItems() const { return m_maxItems; }
    void setMaxItems(int maxItems);
    // The height of every cell, as laid out by the view; the label and the chips share it.
    double cellHeight() const { return m_cellHeight; }
    void setCellHeight(double height);
    double labelHeight() const { return dayLabelHeight(m_cellHeight, m_metrics); }
    double chipHeight() const { return m_metrics.chipHeight; }
    void setChipHeight(double height);
    double moreLineHeight() const { return m_metrics.moreLineHeight; }
    void setMoreLineHeight(double height);
    double chipSpacing() const { return m_metrics.spacing; }
    void setChipSpacing(double spacing);

    int rows() const { return int(m_cells.size() / 7); }
    // Upper-case short weekday symbols starting at the calendar's first weekday (SUN … SAT).
    QStringList weekdaySymbols() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void storeChanged();
    void selectedDateChanged();
    void maxItemsChanged();
    void metricsChanged();
    void rowsChanged();

private:
    struct Cell
    {
        Instant date;
        QString label;
        DayLabelStyle style = DayLabelStyle::InMonth;
        QStringList holidays;
        QVariantList events;
        QString more;
        bool isToday = false;
        bool isSelected = false;
        bool inMonth = false;

        bool operator==(const Cell &) const = default;
    };

    void refresh();
    Cell cellFor(Instant day, Instant today) const;
    void setMetric(double &metric, double value);

    StoreWatch m_watch;
    Instant m_selected;
    int m_maxItems = 3;
    double m_cellHeight = 1e9; // unbounded until the view lays out its cells
    ChipMetrics m_metrics;
    QList<Cell> m_cells;
};
