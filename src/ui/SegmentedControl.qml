import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A row of equal segments with one selected, filled with the accent colour:
//   SegmentedControl { model: ["Week", "Month", "Year"]; currentIndex: backend.modeIndex
//                      onActivated: (index) => backend.modeIndex = index }
// One Tab stop; the left and right arrow keys move the selection.
Control {
    id: control

    property var model: []
    property alias currentIndex: selection.currentIndex
    readonly property alias count: selection.count
    signal activated(int index)

    implicitWidth: Math.max(segments.implicitWidth + leftPadding + rightPadding, 120)
    implicitHeight: 32
    padding: 2
    focusPolicy: Qt.StrongFocus
    font: Theme.font(Theme.Subheadline, Font.Medium)

    Keys.onLeftPressed: selection.step(-1)
    Keys.onRightPressed: selection.step(1)

    SegmentSelection {
        id: selection
        count: segmentRepeater.count
        onActivated: (index) => control.activated(index)
    }

    background: Rectangle {
        radius: 8
        color: Theme.gray5
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.accent
    }

    contentItem: Row {
        id: segments

        Repeater {
            id: segmentRepeater
            model: control.model

            delegate: AbstractButton {
                id: segment

                required property int index
                required property var modelData
                readonly property bool selected: index === control.currentIndex

                width: segments.width / Math.max(1, segmentRepeater.count)
                height: segments.height
                implicitWidth: label.implicitWidth + 24
                focusPolicy: Qt.NoFocus
                text: modelData
                onClicked: selection.choose(index)

                background: Rectangle {
                    radius: 6
                    visible: segment.selected
                    color: Theme.accent
                }
                contentItem: Label {
                    id: label
                    text: segment.text
                    font: control.font
                    color: segment.selected ? Theme.white : Theme.primary
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
            }
        }
    }
}
