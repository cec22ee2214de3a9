#include "calendarscreen.h"

#include "calendarformat.h"
#include "clock.h"
#include "eventstore.h"
#include "preferences.h"
#include "uuid.h"

#include <algorithm>

ScreenLayout ScreenLayout::forWidth(double width, bool showSidePanels)
{
    ScreenLayout layout;
    layout.sidePanelsShown = showSidePanels && width >= panelsMinimumWidth;
    layout.rowWidth = std::min(std::max(0.0, width), rowMaximumWidth);
    if (layout.sidePanelsShown)
        layout.centreWidth = layout.rowWidth - leftPanelWidth - rightPanelWidth - 2 * spacing;
    else
        layout.centreWidth = std::min(layout.rowWidth, centreMaximumWidth);
    return layout;
}

CalendarScreen::CalendarScreen(QObject *parent) : QObject(parent), m_selected(Clock::shared().now()) {}

void CalendarScreen::setStore(EventStore *store)
{
    if (!m_watch.setStore(store))
        return;
    disconnect(m_preferenceConnection);
    if (store) {
        m_preferenceConnection = connect(&store->preferences(), &Preferences::valueChanged, this,
                                         &CalendarScreen::onPreferenceChanged);
    }
    emit storeChanged();
    emit showFlagsChanged();
    emit layoutChanged();
    emit titleChanged();
}

void CalendarScreen::onPreferenceChanged(const QString &key)
{
    using namespace CalendarPreferences;
    if (key != showHolidaysKey && key != showSidePanelsKey && key != showGoogleEventsKey && key != showAppleEventsKey)
        return;
    emit showFlagsChanged();
    if (key == showSidePanelsKey)
        emit layoutChanged();
}

Calendar CalendarScreen::calendar() const
{
    return store() ? store()->calendar() : Calendar::current();
}

bool CalendarScreen::flag(const QString &key) const
{
    return store() ? CalendarPreferences::flag(store()->preferences(), key) : true;
}

void CalendarScreen::setMode(Mode mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    emit modeChanged();
    emit titleChanged();
}

void CalendarScreen::setModeIndex(int index)
{
    if (index >= 0 && index < allModes().size())
        setMode(allModes().at(index));
}

QStringList CalendarScreen::modeLabels() const
{
    QStringList labels;
    for (const Mode mode : allModes())
        labels.append(modeLabel(mode));
    return labels;
}

void CalendarScreen::setSelected(Instant date)
{
    if (date == m_selected)
        return;
    m_selected = date;
    emit selectedDateChanged();
    emit titleChanged();
}

void CalendarScreen::setSelectedDate(const QDateTime &date)
{
    if (const auto instant = fromQml(date))
        setSelected(*instant);
}

QString CalendarScreen::title() const
{
    if (m_mode == Mode::Year)
        return CalendarFormat::yearText(m_selected, calendar());
    return CalendarFormat::monthName(m_selected, calendar());
}

QString CalendarScreen::titleYear() const
{
    if (m_mode == Mode::Year)
        return {};
    return QLatin1Char(' ') + CalendarFormat::yearText(m_selected, calendar());
}

QDateTime CalendarScreen::editingEventStart() const
{
    return m_editingEvent ? toQml(m_editingEvent->startTime) : QDateTime();
}

QDateTime CalendarScreen::newDayDate() const
{
    return m_newDay ? toQml(m_newDay->date) : QDateTime();
}

void CalendarScreen::setViewWidth(double width)
{
    if (width == m_viewWidth)
        return;
    m_viewWidth = width;
    emit layoutChanged();
}

void CalendarScreen::select(const QDateTime &date)
{
    setSelectedDate(date);
}

void CalendarScreen::openDay(const QDateTime &date)
{
    setSelectedDate(date);
    setMode(Mode::Day);
}

void CalendarScreen::openMonth(const QDateTime &date)
{
    setSelectedDate(date);
    setMode(Mode::Month);
}

void CalendarScreen::edit(const QString &eventId)
{
    if (!store())
        return;
    if (const auto event = findEvent(*store(), eventId))
        edit(*event);
}

void CalendarScreen::edit(const CalendarEvent &event)
{
    if (m_editingEvent == event)
        return;
    m_editingEvent = event;
    emit editingEventChanged();
}

void CalendarScreen::requestNewEvent()
{
    m_newDay = NewDay{Uuid::create(), m_selected};
    emit newDayChanged();
}

void CalendarScreen::step(int n)
{
    const Calendar cal = calendar();
    switch (m_mode) {
    case Mode::Day: setSelected(cal.addDays(m_selected, n)); break;
    case Mode::Week: setSelected(cal.addWeeks(m_selected, n)); break;
    case Mode::Month: setSelected(cal.addMonths(m_selected, n)); break;
    case Mode::Year: setSelected(cal.addYears(m_selected, n)); break;
    }
}

void CalendarScreen::goToToday()
{
    setSelected(Clock::shared().now());
}

void CalendarScreen::moveSelection(int days)
{
    setSelected(calendar().addDays(m_selected, days));
}

void CalendarScreen::clearEditingEvent()
{
    if (!m_editingEvent)
        return;
    m_editingEvent.reset();
    emit editingEventChanged();
}

void CalendarScreen::clearNewDay()
{
    if (!m_newDay)
        return;
    m_newDay.reset();
    emit newDayChanged();
}

bool CalendarScreen::chooseModeByKey(int key, int modifiers)
{
    const int index = key - Qt::Key_1;
    if (modifiers != Qt::ControlModifier || index < 0 || index >= allModes().size())
        return false;
    setModeIndex(index);
    return true;
}

QString CalendarScreen::modeShortcut(int index) const
{
    if (index < 0 || index >= allModes().size())
        return {};
    return QStringLiteral("Ctrl+%1").arg(index + 1);
}
