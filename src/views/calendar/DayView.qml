import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Calendar

// One day: its name and date with buttons to the neighbouring days, the all-day events, and a
// 24-hour timeline with the timed events side by side where they overlap. A tap on an hour opens
// the editor for a new event at that hour; a mostly horizontal drag or the arrow keys change the
// day. The owner holds the date: the view asks for a new one with dateRequested().
//   DayView { store: AppRoot.eventStore; date: screen.selectedDate
//             onDateRequested: (day) => screen.select(day) }
FocusScope {
    id: view

    property EventStore store
    property date date
    property real hourHeight: 64
    property real labelWidth: 48
    // The pending requests that opened the editor: a stored event, or a new event's start.
    property string editingEventId
    property var newSlotStart
    readonly property alias timeline: timelineModel
    readonly property alias flickable: hours
    readonly property alias editorSheet: editor
    signal dateRequested(date day)
    signal close()

    function step(n) {
        stepAnimation.stop()
        slide.x = n * 40
        view.dateRequested(timelineModel.steppedDate(n))
        stepAnimation.start()
    }

    function createAt(hour) {
        const start = timelineModel.slotStart(hour)
        if (isNaN(start.getTime()))
            return
        newSlotStart = start
        editor.openForNewEvent(view.date, start)
    }

    function edit(eventId) {
        editingEventId = eventId
        editor.openForEvent(eventId)
    }

    function scrollToWorkingHours() {
        const target = timelineModel.scrollTargetHour * view.hourHeight - hours.topMargin
        hours.contentY = Math.max(-hours.topMargin, Math.min(target, hours.contentHeight - hours.height))
    }

    focus: true
    clip: true
    Keys.onLeftPressed: step(-1)
    Keys.onRightPressed: step(1)
    Component.onCompleted: Qt.callLater(scrollToWorkingHours)

    DayTimelineModel {
        id: timelineModel
        store: view.store
        date: view.date
        hourHeight: view.hourHeight
        labelWidth: view.labelWidth
        layerWidth: hours.width
        onDateChanged: Qt.callLater(view.scrollToWorkingHours)
    }

    EventEditorSheet {
        id: editor
        store: view.store
        onClosed: {
            view.editingEventId = ""
            view.newSlotStart = undefined
        }
    }

    // Follows the whole drag without taking it from the timeline's taps and scrolling.
    PointHandler {
        id: swipe
        property vector2d lastTranslation
        onTranslationChanged: if (active) lastTranslation = translation
        onActiveChanged: {
            if (active) {
                lastTranslation = Qt.vector2d(0, 0)
                return
            }
            const n = timelineModel.swipeStep(lastTranslation.x, lastTranslation.y)
            if (n !== 0)
                view.step(n)
        }
    }

    ColumnLayout {
        id: slide
        width: parent.width
        height: parent.height
        spacing: 0

        NumberAnimation on x {
            id: stepAnimation
            running: false
            to: 0
            duration: 150
            easing.type: Easing.InOutQuad
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 20
            Layout.rightMargin: 20
            Layout.topMargin: 10
            Layout.bottomMargin: 10

            IconButton {
                objectName: "previousDayButton"
                symbol: "chevron.left"
                tapSize: 44
                Accessible.name: "Previous day"
                onClicked: view.step(-1)
            }
            Item { Layout.fillWidth: true }
            Column {
                spacing: 2

                Text {
                    objectName: "weekdayTitle"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: timelineModel.weekdayText
                    font: Theme.headline
                    color: Theme.primary
                }
                Text {
                    objectName: "dateTitle"
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: timelineModel.dateText
                    font: Theme.subheadline
                    color: Theme.secondary
                }
            }
            Item { Layout.fillWidth: true }
            IconButton {
                objectName: "nextDayButton"
                symbol: "chevron.right"
                tapSize: 44
                Accessible.name: "Next day"
                onClicked: view.step(1)
            }
        }

        Divider {}

        Column {
            objectName: "allDayStrip"
            visible: timelineModel.allDayEvents.length > 0
            Layout.fillWidth: true
            leftPadding: 12
            rightPadding: 12
            topPadding: 8
            bottomPadding: 8
            spacing: 6

            Repeater {
                model: timelineModel.allDayEvents
                delegate: AllDayChip {
                    required property var modelData
                    width: parent.width - 24
                    event: modelData
                    onClicked: view.edit(modelData.eventId)
                }
            }
        }

        Divider {
            visible: timelineModel.allDayEvents.length > 0
        }

        Flickable {
            id: hours
            objectName: "timeline"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            topMargin: 8
            bottomMargin: 8
            contentWidth: width
            // Events that run past midnight may reach below the last row.
            contentHeight: Math.max(24 * view.hourHeight, eventsLayer.childrenRect.height + eventsLayer.childrenRect.y)
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            Column {
                id: hourRows
                width: hours.width

                Repeater {
                    model: timelineModel.hourLabels
                    delegate: Item {
                        id: hourRow

                        required property int index
                        required property string modelData

                        objectName: "hourRow" + index
                        width: hourRows.width
                        height: view.hourHeight

                        Text {
                            width: view.labelWidth
                            y: -6
                            horizontalAlignment: Text.AlignRight
                            text: hourRow.modelData
                            font: Theme.caption2
                            color: Theme.secondary
                        }
                        Rectangle {
                            x: view.labelWidth + 6
                            width: parent.width - x - 12
                            height: 1
                            color: Theme.separator
                            opacity: 0.5
                        }
                        TapHandler {
                            onTapped: view.createAt(hourRow.index)
                        }
                    }
                }
            }

            Item {
                id: eventsLayer
                width: hourRows.width
                height: hourRows.height

                Repeater {
                    model: timelineModel.blocks
                    delegate: TimelineBlock {
                        required property var modelData
                        placed: modelData
                        onClicked: view.edit(modelData.eventId)
                    }
                }

                Item {
                    objectName: "nowLine"
                    visible: timelineModel.isToday
                    x: timelineModel.nowLine.x
                    y: timelineModel.nowLine.y
                    width: timelineModel.nowLine.width
                    height: timelineModel.nowLine.height

                    Rectangle {
                        width: 8
                        height: 8
                        radius: 4
                        color: Theme.red
                    }
                    Rectangle {
                        x: 8
                        y: 4 - height / 2
                        width: parent.width - 8
                        height: 1.5
                        color: Theme.red
                    }
                }
            }
        }
    }

    component Divider: Rectangle {
        Layout.fillWidth: true
        implicitHeight: 1
        color: Theme.separator
        opacity: 0.5
    }
}
