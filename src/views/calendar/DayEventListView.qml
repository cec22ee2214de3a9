import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Calendar

// The holidays and events of one day. A tap on a row opens the event's editor; a row is deleted
// by swiping it to the left, from its context menu, or with the Delete key while it has focus.
//   DayEventListView { store: AppRoot.eventStore; date: screen.selectedDate; onOpenDay: … }
FocusScope {
    id: list

    property EventStore store
    property date date
    // Shows the "Day view" button, which emits openDay().
    property bool showsDayViewButton: false
    property string editingEventId
    readonly property alias rows: rowModel
    readonly property alias listView: eventList
    readonly property alias editorSheet: editor
    signal openDay()

    function edit(eventId) {
        editingEventId = eventId
        editor.openForEvent(eventId)
    }

    DayEventListModel {
        id: rowModel
        store: list.store
        date: list.date
    }

    EventEditorSheet {
        id: editor
        store: list.store
        onClosed: list.editingEventId = ""
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.topMargin: 10
        spacing: 10

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: Theme.standardPadding
            Layout.rightMargin: Theme.standardPadding

            Text {
                objectName: "dayHeader"
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: rowModel.headerText
                font: Theme.font(Theme.Subheadline, Font.DemiBold)
                color: Theme.secondary
            }
            AbstractButton {
                id: dayViewButton
                objectName: "dayViewButton"
                visible: list.showsDayViewButton
                padding: 8
                text: "Day view"
                onClicked: list.openDay()
                contentItem: Row {
                    spacing: 4
                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "calendar.day.timeline.left"
                        size: 13
                        color: Theme.accent
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: dayViewButton.text
                        font: Theme.font(Theme.Caption, Font.Medium)
                        color: Theme.accent
                    }
                }
            }
        }

        Repeater {
            model: rowModel.holidays
            delegate: RowLayout {
                required property string modelData
                Layout.fillWidth: true
                Layout.leftMargin: Theme.standardPadding
                Layout.rightMargin: Theme.standardPadding
                spacing: 6

                SymbolIcon {
                    name: "star.circle.fill"
                    size: 15
                    color: Theme.purple
                }
                Text {
                    Layout.fillWidth: true
                    elide: Text.ElideRight
                    text: modelData
                    font: Theme.subheadline
                    color: Theme.primary
                }
            }
        }

        ListView {
            id: eventList
            objectName: "eventList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: rowModel.count > 0
            clip: true
            model: rowModel
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            delegate: SwipeDelegate {
                id: row

                required property int index
                required property string eventId
                required property string title
                required property color colour
                required property string timeText
                required property string detailText
                required property string notes
                required property string linkUrl
                required property string linkName
                required property bool isRepeating
                required property bool isSynced

                objectName: "eventRow" + index
                width: ListView.view.width
                topPadding: 4
                bottomPadding: 4
                leftPadding: 16
                rightPadding: 16
                focusPolicy: Qt.StrongFocus
                onClicked: list.edit(eventId)
                Keys.onDeletePressed: rowModel.remove(eventId)
                Keys.onReturnPressed: list.edit(eventId)
                Accessible.name: title

                background: Rectangle {
                    color: Theme.systemBackground
                    border.width: row.visualFocus ? 2 : 0
                    border.color: Theme.accent
                    radius: 12
                }
                contentItem: EventRow {
                    title: row.title
                    colour: row.colour
                    timeText: row.timeText
                    detailText: row.detailText
                    notes: row.notes
                    linkUrl: row.linkUrl
                    linkName: row.linkName
                    isRepeating: row.isRepeating
                    isSynced: row.isSynced
                }

                swipe.right: AbstractButton {
                    objectName: "deleteAction"
                    width: 88
                    height: row.height
                    anchors.right: parent.right
                    text: "Delete"
                    onClicked: rowModel.remove(row.eventId)

                    background: Rectangle {
                        color: Theme.red
                        radius: 10
                    }
                    contentItem: Text {
                        text: "Delete"
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        font: Theme.font(Theme.Subheadline, Font.DemiBold)
                        color: Theme.white
                    }
                }

                TapHandler {
                    acceptedButtons: Qt.RightButton
                    onTapped: contextMenu.popup()
                }
                Menu {
                    id: contextMenu
                    MenuItem {
                        text: "Delete"
                        onTriggered: rowModel.remove(row.eventId)
                    }
                }
            }
        }

        Column {
            objectName: "noEvents"
            visible: rowModel.count === 0
            Layout.fillWidth: true
            Layout.fillHeight: true
            topPadding: 24
            spacing: 6

            SymbolIcon {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "calendar"
                size: 22
                color: Theme.tertiary
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "No events"
                font: Theme.body
                color: Theme.secondary
            }
        }
    }
}
