#pragma once

#include "calendardata.h"

#include <QAbstractListModel>
#include <QDateTime>
#include <QtQml/qqmlregistration.h>

#include "eventstore.h"

// The rows of the day event list: the visible events of one day in the store's order, with the
// header text and the holidays of that day.
//   DayEventListModel { store: root.store; date: root.date }
class DayEventListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(EventStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(QDateTime date READ date WRITE setDate NOTIFY dateChanged)
    Q_PROPERTY(QString headerText READ headerText NOTIFY contentChanged)
    Q_PROPERTY(QStringList holidays READ holidays NOTIFY contentChanged)
    Q_PROPERTY(int count READ count NOTIFY contentChanged)

public:
    enum Role {
        EventIdRole = Qt::UserRole + 1,
        TitleRole,
        ColourRole,
        TimeTextRole,
        DetailTextRole,
        NotesRole,
        LinkUrlRole,
        LinkNameRole,
        IsRepeatingRole,
        IsSyncedRole,
    };

    explicit DayEventListModel(QObject *parent = nullptr);

    EventStore *store() const { return m_watch.store(); }
    void setStore(EventStore *store);
    QDateTime date() const { return toQml(m_date); }
    void setDate(const QDateTime &date);
    QString headerText() const { return m_headerText; }
    QStringList holidays() const { return m_holidays; }
    int count() const { return int(m_events.size()); }

    // Deletes that one event from the store, also when it belongs to a series.
    Q_INVOKABLE void remove(const QString &eventId);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void storeChanged();
    void dateChanged();
    void contentChanged();

private:
    void refresh();

    StoreWatch m_watch;
    Instant m_date;
    QList<CalendarEvent> m_events;
    QString m_headerText;
    QStringList m_holidays;
};
