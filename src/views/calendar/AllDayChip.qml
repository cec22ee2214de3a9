import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// An all-day event above the day timeline; a tap opens its editor.
AbstractButton {
    id: chip

    // eventId, title and colour.
    property var event

    objectName: "allDayChip"
    topPadding: 6
    bottomPadding: 6
    leftPadding: 10
    rightPadding: 10
    text: event.title
    Accessible.name: text

    background: Rectangle {
        radius: 8
        color: Qt.rgba(chip.event.colour.r, chip.event.colour.g, chip.event.colour.b, 0.15)
    }

    contentItem: RowLayout {
        spacing: 8

        Rectangle {
            implicitWidth: 8
            implicitHeight: 8
            radius: 4
            color: chip.event.colour
        }
        Text {
            Layout.fillWidth: true
            elide: Text.ElideRight
            text: chip.text
            font: Theme.font(Theme.Subheadline, Font.Medium)
            color: Theme.primary
        }
        Text {
            text: "All day"
            font: Theme.caption
            color: Theme.secondary
        }
    }
}
