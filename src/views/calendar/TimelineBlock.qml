import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// A timed event in the day timeline, placed and sized by the layout; a tap opens its editor.
AbstractButton {
    id: block

    // The placed event: eventId, title, colour, timeText, location, instructor and its geometry.
    property var placed

    objectName: "timelineBlock"
    x: placed.x
    y: placed.y
    width: placed.width
    height: placed.height
    padding: 0
    text: placed.title
    Accessible.name: text

    background: Rectangle {
        radius: 6
        color: Qt.rgba(block.placed.colour.r, block.placed.colour.g, block.placed.colour.b, 0.2)

        // The bar follows the block's rounded corners on its left side.
        Item {
            width: 4
            height: parent.height
            clip: true

            Rectangle {
                width: 12
                height: parent.height
                radius: 6
                color: block.placed.colour
            }
        }
    }

    contentItem: Item {
        clip: true

        ColumnLayout {
            x: 10
            y: 3
            width: parent.width - 16
            spacing: 1

            Text {
                Layout.fillWidth: true
                text: block.placed.title
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                font: Theme.font(Theme.Caption, Font.DemiBold)
                color: Theme.primary
            }
            Text {
                Layout.fillWidth: true
                text: block.placed.timeText
                elide: Text.ElideRight
                maximumLineCount: 1
                font: Theme.caption2
                color: Theme.secondary
            }
            IconLabel {
                visible: block.placed.location !== ""
                symbol: "mappin.and.ellipse"
                text: block.placed.location
            }
            IconLabel {
                visible: block.placed.instructor !== ""
                symbol: "person"
                text: block.placed.instructor
            }
        }
    }

    component IconLabel: RowLayout {
        property string symbol
        property string text

        Layout.fillWidth: true
        spacing: 3

        SymbolIcon {
            name: parent.symbol
            size: 10
            color: Theme.secondary
        }
        Text {
            Layout.fillWidth: true
            text: parent.text
            elide: Text.ElideRight
            maximumLineCount: 1
            font: Theme.caption2
            color: Theme.secondary
        }
    }
}
