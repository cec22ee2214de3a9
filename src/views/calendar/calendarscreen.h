#pragma once

#include "calendardata.h"
#include "calendarmode.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

#include "eventstore.h"

// A request to create an event on a day; every request is new, even for the same day.
struct NewDay
{
    QString id;
    Instant date;

    bool operator==(const NewDay &) const = default;
};

// Which columns the calendar screen shows at a given width.
struct ScreenLayout
{
    bool sidePanelsShown = false;
    double rowWidth = 0;    // the centred row holding the panels and the centre column
    double centreWidth = 0; // the centre column

    static constexpr double panelsMinimumWidth = 1150;
    static constexpr double centreMaximumWidth = 1100;
    static constexpr double rowMaximumWidth = 1700;
    static constexpr double leftPanelWidth = 230;
    static constexpr double rightPanelWidth = 260;
    static constexpr double spacing = 24;

    static ScreenLayout forWidth(double width, bool showSidePanels);
    bool operator==(const ScreenLayout &) const = default;
};

// The state of the calendar screen and the operations its controls and grids call: the mode,
// the selected day, the open editor and the pending new-event request, the navigation title and
// the layout. Nothing here is persisted; a new screen starts in Month mode on today.
//   CalendarScreen { id: screen; store: AppRoot.eventStore; viewWidth: root.width }
class CalendarScreen : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(EventStore *store READ store WRITE setStore NOTIFY storeChanged)
    Q_PROPERTY(int mode READ modeIndex WRITE setModeIndex NOTIFY modeChanged)
    Q_PROPERTY(QString modeLabel READ currentModeLabel NOTIFY modeChanged)
    Q_PROPERTY(QStringList modeLabels READ modeLabels CONSTANT)
    Q_PROPERTY(bool showsTimeline READ showsTimeline NOTIFY modeChanged)
    Q_PROPERTY(bool showsPhotoBar READ showsPhotoBar NOTIFY modeChanged)
    Q_PROPERTY(bool showsDayList READ showsDayList NOTIFY modeChanged)
    Q_PROPERTY(QDateTime selectedDate READ selectedDate WRITE setSelectedDate NOTIFY selectedDateChanged)
    Q_PROPERTY(QString title READ title NOTIFY titleChanged)
    Q_PROPERTY(QString titleYear READ titleYear NOTIFY titleChanged)
    Q_PROPERTY(bool isEditing READ isEditing NOTIFY editingEventChanged)
    Q_PROPERTY(QString editingEventId READ editingEventId NOTIFY editingEventChanged)
    Q_PROPERTY(QDateTime editingEventStart READ editingEventStart NOTIFY editingEventChanged)
    Q_PROPERTY(bool hasNewDay READ hasNewDay NOTIFY newDayChanged)
    Q_PROPERTY(QString newDayId READ newDayId NOTIFY newDayChanged)
    Q_PROPERTY(QDateTime newDayDate READ newDayDate NOTIFY newDayChanged)
    Q_PROPERTY(bool showHolidays READ showHolidays NOTIFY showFlagsChanged)
    Q_PROPERTY(bool showSidePanels READ showSidePanels NOTIFY showFlagsChanged)
    Q_PROPERTY(bool showGoogle READ showGoogle NOTIFY showFlagsChanged)
    Q_PROPERTY(bool showApple READ showApple NOTIFY showFlagsChanged)
    Q_PROPERTY(double viewWidth READ viewWidth WRITE setViewWidth NOTIFY layoutChanged)
    Q_PROPERTY(bool sidePanelsShown READ sidePanelsShown NOTIFY layoutChanged)
    Q_PROPERTY(double rowWidth READ rowWidth NOTIFY layoutChanged)
    Q_PROPERTY(double centreWidth READ centreWidth NOTIFY layoutChanged)

public:
    explicit CalendarScreen(QObject *parent = nullptr);

    EventStore *store() const { return m_watch.store(); }
    void setStore(EventStore *store);

    Mode mode() const { return m_mode; }
    void setMode(Mode mode);
    int modeIndex() const { return int(allModes().indexOf(m_mode)); }
    void setModeIndex(int index);
    QString currentModeLabel() const { return modeLabel(m_mode); }
    QStringList modeLabels() const;
    // What the centre column holds in the current mode: the day timeline alone in Day mode;
    // otherwise the navigation bar and the mode's grid, with the photo bar in Month mode and
    // the selected day's event list under the week and month grids.
    bool showsTimeline() const { return m_mode == Mode::Day; }
    bool showsPhotoBar() const { return m_mode == Mode::Month; }
    bool showsDayList() const { return m_mode == Mode::Week || m_mode == Mode::Month; }

    Instant selected() const { return m_selected; }
    void setSelected(Instant date);
    QDateTime selectedDate() const { return toQml(m_selected); }
    void setSelectedDate(const QDateTime &date);

    // The navigation bar's title: the month name (or the year in Year mode) and, after it in
    // regular weight, one space and the year (empty in Year mode).
    QString title() const;
    QString titleYear() const;

    const std::optional<CalendarEvent> &editingEvent() const { return m_editingEvent; }
    bool isEditing() const { return m_editingEvent.has_value(); }
    QString editingEventId() const { return m_editingEvent ? m_editingEvent->id : QString(); }
    QDateTime editingEventStart() const;
    const std::optional<NewDay> &newDay() const { return m_newDay; }
    bool hasNewDay() const { return m_newDay.has_value(); }
    QString newDayId() const { return m_newDay ? m_newDay->id : QString(); }
    QDateTime newDayDate() const;

    bool showHolidays() const { return flag(CalendarPreferences::showHolidaysKey); }
    bool showSidePanels() const { return flag(CalendarPreferences::showSidePanelsKey); }
    bool showGoogle() const { return flag(CalendarPreferences::showGoogleEventsKey); }
    bool showApple() const { return flag(CalendarPreferences::showAppleEventsKey); }

    double viewWidth() const { return m_viewWidth; }
    void setViewWidth(double width);
    ScreenLayout layout() const { return ScreenLayout::forWidth(m_viewWidth, showSidePanels()); }
    bool sidePanelsShown() const { return layout().sidePanelsShown; }
    double rowWidth() const { return layout().rowWidth; }
    double centreWidth() const { return layout().centreWidth; }

    Q_INVOKABLE void select(const QDateTime &date);
    Q_INVOKABLE void openDay(const QDateTime &date);
    Q_INVOKABLE void openMonth(const QDateTime &date);
    // Opens the editor for the stored event with this id; an unknown id does nothing.
    Q_INVOKABLE void edit(const QString &eventId);
    void edit(const CalendarEvent &event);
    Q_INVOKABLE void requestNewEvent();
    // Moves the selected date by n units of the current mode.
    Q_INVOKABLE void step(int n);
    Q_INVOKABLE void goToToday();
    // Moves the selected day by a number of days, for the arrow keys.
    Q_INVOKABLE void moveSelection(int days);
    // The editor sheet closed: forget what opened it.
    Q_INVOKABLE void clearEditingEvent();
    Q_INVOKABLE void clearNewDay();
    // "Ctrl+3" for Month: the keyboard shortcut of the mode at `index`.
    Q_INVOKABLE QString modeShortcut(int index) const;
    // Chooses the mode of a pressed Ctrl+1 … Ctrl+4; false for any other key.
    Q_INVOKABLE bool chooseModeByKey(int key, int modifiers);

signals:
    void storeChanged();
    void modeChanged();
    void selectedDateChanged();
    void titleChanged();
    void editingEventChanged();
    void newDayChanged();
    void showFlagsChanged();
    void layoutChanged();

private:
    Calendar calendar() const;
    bool flag(const QString &key) const;
    void onPreferenceChanged(const QString &key);

    StoreWatch m_watch;
    QMetaObject::Connection m_preferenceConnection;
    Mode m_mode = Mode::Month;
    Instant m_selected;
    std::optional<CalendarEvent> m_editingEvent;
    std::optional<NewDay> m_newDay;
    double m_viewWidth = 0;
};
