import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Calendar

// The calendar screen: toolbar, then the day timeline in Day mode, or the navigation bar, the
// grid of the mode and the selected day's event list; side panels beside it on wide windows.
// Arrow keys move the selected day, Return opens it, Ctrl+1 … Ctrl+4 choose the mode.
//   MacCalendarView { anchors.fill: parent; store: AppRoot.eventStore
//                     onMenuTapped: …; onAvatarTapped: … }
FocusScope {
    id: root

    property EventStore store
    readonly property alias screen: screen
    readonly property alias toolbar: toolbar
    readonly property alias editorSheet: editor
    signal menuTapped()
    signal avatarTapped()

    focus: true

    CalendarScreen {
        id: screen
        objectName: "calendarScreen"
        store: root.store
        viewWidth: root.width
        onEditingEventChanged: {
            if (isEditing)
                editor.openForEvent(editingEventId)
        }
        onNewDayChanged: {
            if (hasNewDay)
                editor.openForNewEvent(newDayDate)
        }
    }

    EventEditorSheet {
        id: editor
        store: root.store
        onClosed: {
            screen.clearEditingEvent()
            screen.clearNewDay()
        }
    }

    Keys.onPressed: (event) => event.accepted = screen.chooseModeByKey(event.key, event.modifiers)
    Keys.onLeftPressed: screen.moveSelection(-1)
    Keys.onRightPressed: screen.moveSelection(1)
    Keys.onUpPressed: screen.moveSelection(-7)
    Keys.onDownPressed: screen.moveSelection(7)
    Keys.onReturnPressed: screen.openDay(screen.selectedDate)
    Keys.onEnterPressed: screen.openDay(screen.selectedDate)

    Rectangle {
        anchors.fill: parent
        color: Theme.systemBackground
    }

    Row {
        anchors.horizontalCenter: parent.horizontalCenter
        height: parent.height
        spacing: 24

        // The side panels' places, until they are built.
        Item {
            objectName: "leftPanel"
            visible: screen.sidePanelsShown
            width: 230
            height: parent.height
        }

        ColumnLayout {
            id: centre
            objectName: "centreColumn"
            width: screen.centreWidth
            height: parent.height
            spacing: 0

            CalendarToolbar {
                id: toolbar
                Layout.fillWidth: true
                screen: screen
                onMenuTapped: root.menuTapped()
                onAvatarTapped: root.avatarTapped()
            }

            Loader {
                objectName: "dayViewLoader"
                Layout.fillWidth: true
                Layout.fillHeight: true
                active: screen.showsTimeline
                visible: active
                focus: active
                // Leaving Day mode gives the keys back to the grid.
                onActiveChanged: if (!active) root.forceActiveFocus()
                sourceComponent: DayView {
                    store: root.store
                    date: screen.selectedDate
                    hourHeight: 64
                    labelWidth: 48
                    onDateRequested: (day) => screen.select(day)
                    onClose: screen.openMonth(screen.selectedDate)
                }
            }

            // The photo bar's place in Month mode, until it is built: 104 points and 6 below.
            Item {
                objectName: "photoBarPlace"
                visible: screen.showsPhotoBar
                Layout.fillWidth: true
                Layout.preferredHeight: 110
            }

            CalendarNavigationBar {
                visible: !screen.showsTimeline
                Layout.fillWidth: true
                screen: screen
            }

            MonthGrid {
                objectName: "monthGrid"
                visible: screen.modeLabel === "Month"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.leftMargin: 12
                Layout.rightMargin: 12
                screen: screen
            }

            // The week and year grids' places, until they are built.
            Item {
                objectName: "weekGridPlace"
                visible: screen.modeLabel === "Week"
                Layout.fillWidth: true
                Layout.fillHeight: true
            }
            Item {
                objectName: "yearGridPlace"
                visible: screen.modeLabel === "Year"
                Layout.fillWidth: true
                Layout.fillHeight: true
            }

            Rectangle {
                visible: screen.showsDayList
                Layout.fillWidth: true
                implicitHeight: 1
                color: Theme.separator
                opacity: 0.5
            }

            DayEventListView {
                objectName: "dayEventList"
                visible: screen.showsDayList
                Layout.fillWidth: true
                Layout.preferredHeight: 230
                store: root.store
                date: screen.selectedDate
                showsDayViewButton: true
                onOpenDay: screen.openDay(screen.selectedDate)
            }
        }

        Item {
            objectName: "rightPanel"
            visible: screen.sidePanelsShown
            width: 260
            height: parent.height
        }
    }
}
