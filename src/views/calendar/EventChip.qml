import QtQuick
import QtQuick.Layouts
import Dayloom.Ui

// An event in a day cell: colour bar, title and, for a timed event, its start time. All-day
// events sit on a capsule of their colour.
Item {
    id: chip

    // eventId, title, colour, isAllDay and startText.
    property var event
    signal tapped()

    objectName: "eventChip"
    implicitHeight: row.implicitHeight + 2

    Rectangle {
        anchors.fill: parent
        radius: height / 2
        visible: chip.event.isAllDay
        color: Qt.rgba(chip.event.colour.r, chip.event.colour.g, chip.event.colour.b, 0.22)
    }

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 3
        anchors.rightMargin: 3
        spacing: 4

        Rectangle {
            implicitWidth: 3
            implicitHeight: 10
            radius: 1.5
            color: chip.event.colour
        }
        Text {
            Layout.fillWidth: true
            Layout.minimumWidth: 0
            text: chip.event.title
            elide: Text.ElideRight
            maximumLineCount: 1
            font: Theme.systemFont(10)
            color: Theme.primary
        }
        Text {
            visible: !chip.event.isAllDay
            text: chip.event.startText
            maximumLineCount: 1
            font: Theme.systemFont(9)
            color: Theme.secondary
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: chip.tapped()
    }
}
