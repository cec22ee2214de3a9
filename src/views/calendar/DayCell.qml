import QtQuick
import Dayloom.Ui
import Dayloom.Calendar

// One day of the month grid: its label, then holiday chips, event chips and the "+N more" line.
// A tap selects the day, a double tap opens it, a tap on an event chip opens that event.
Item {
    id: cell

    required property int index
    required property date date
    required property string label
    required property int labelStyle
    required property var holidays
    required property var events
    required property string moreText
    required property bool isSelected
    property real labelHeight: 36
    signal tapped()
    signal doubleTapped()
    signal eventTapped(string eventId)

    objectName: "dayCell" + index
    clip: true

    // Label styles, in the order of DayLabelStyle: selected, today, in the month, outside it.
    readonly property var textColours: [Theme.white, Theme.accent, Theme.primary,
        Qt.rgba(Theme.secondary.r, Theme.secondary.g, Theme.secondary.b, Theme.secondary.a * 0.5)]
    readonly property var fillColours: [Theme.accent, Qt.rgba(Theme.accent.r, Theme.accent.g, Theme.accent.b, 0.18),
        "transparent", "transparent"]

    MouseArea {
        anchors.fill: parent
        onClicked: cell.tapped()
        onDoubleClicked: cell.doubleTapped()
    }

    Column {
        x: 4
        y: 3
        width: parent.width - 8
        spacing: 3

        Rectangle {
            objectName: "dayLabel"
            anchors.horizontalCenter: parent.horizontalCenter
            height: cell.labelHeight
            width: Math.min(parent.width, Math.max(height, labelText.implicitWidth + 18))
            radius: height / 2
            color: cell.fillColours[cell.labelStyle]

            Text {
                id: labelText
                anchors.centerIn: parent
                text: cell.label
                font: Theme.systemFont(17, cell.labelStyle <= 1 ? Font.DemiBold : Font.Normal)
                color: cell.textColours[cell.labelStyle]
            }
        }

        Column {
            width: parent.width
            spacing: 2

            Repeater {
                model: cell.holidays
                delegate: HolidayChip {
                    required property string modelData
                    width: parent.width
                    name: modelData
                }
            }
            Repeater {
                model: cell.events
                delegate: EventChip {
                    required property var modelData
                    width: parent.width
                    event: modelData
                    onTapped: cell.eventTapped(modelData.eventId)
                }
            }
            Text {
                objectName: "moreLine"
                visible: cell.moreText !== ""
                leftPadding: 4
                text: cell.moreText
                font: Theme.systemFont(9)
                color: Theme.secondary
            }
        }
    }
}
