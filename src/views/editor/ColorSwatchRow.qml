import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// The palette's colours as circular swatches in one row that scrolls sideways when narrow; the
// chosen swatch carries a ring. One Tab stop: the left and right arrow keys emit stepped().
//   ColorSwatchRow { selectedName: editor.colorName
//                    onChosen: (name) => editor.colorName = name
//                    onStepped: (delta) => editor.stepColor(delta) }
ListView {
    id: row

    property string selectedName
    signal chosen(string name)
    signal stepped(int delta)

    readonly property int swatchSize: 30
    // The ring's outer edge lies this far outside the swatch.
    readonly property int ringOutset: 3

    orientation: ListView.Horizontal
    spacing: 14
    leftMargin: 4
    rightMargin: 4
    implicitHeight: swatchSize + 2 * 4
    interactive: contentWidth > width
    boundsBehavior: Flickable.StopAtBounds
    clip: true
    activeFocusOnTab: true
    keyNavigationEnabled: false
    model: EventPalette.names

    Keys.onLeftPressed: row.stepped(-1)
    Keys.onRightPressed: row.stepped(1)

    delegate: AbstractButton {
        id: swatch

        required property int index
        required property string modelData
        readonly property bool selected: modelData === row.selectedName

        objectName: "swatch" + modelData
        width: row.swatchSize
        height: row.height
        focusPolicy: Qt.NoFocus
        Accessible.name: modelData
        onClicked: row.chosen(modelData)

        // The ring: a 2-point circle with a 1-point gap to the swatch. While the row has keyboard
        // focus the ring takes the accent colour.
        Rectangle {
            anchors.centerIn: parent
            visible: swatch.selected
            width: row.swatchSize + 2 * row.ringOutset
            height: width
            radius: width / 2
            color: row.activeFocus ? Theme.accent : Theme.primary

            Rectangle {
                anchors.centerIn: parent
                width: parent.width - 4
                height: width
                radius: width / 2
                color: Theme.systemBackground
            }
        }
        Rectangle {
            anchors.centerIn: parent
            width: row.swatchSize
            height: width
            radius: width / 2
            color: EventPalette.colourNamed(swatch.modelData)
        }
    }
}
