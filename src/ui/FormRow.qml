import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// One row of a FormSection: an optional label at the leading side, then the row's controls,
// at least one standard row high, separated from the row above by a hairline.
//   FormRow { label: "All-day"; Switch { … } }
//   FormRow { TextField { Layout.fillWidth: true } }
Item {
    id: row

    property string label
    default property alias content: layout.data

    width: parent ? parent.width : implicitWidth
    implicitWidth: layout.implicitWidth + 2 * Theme.standardPadding
    implicitHeight: Math.max(Theme.rowHeight, layout.implicitHeight + 12)

    Rectangle {
        visible: !row.Positioner.isFirstItem
        x: Theme.standardPadding
        width: parent.width - x
        height: 1
        color: Theme.separator
    }

    RowLayout {
        id: layout
        anchors.fill: parent
        anchors.leftMargin: Theme.standardPadding
        anchors.rightMargin: Theme.standardPadding
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 12

        Label {
            visible: row.label !== ""
            Layout.fillWidth: true
            text: row.label
            font: Theme.body
            color: Theme.primary
            elide: Text.ElideRight
        }
    }
}
