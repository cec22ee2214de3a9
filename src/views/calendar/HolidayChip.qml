import QtQuick
import QtQuick.Layouts
import Dayloom.Ui

// A holiday in a day cell: a purple star and name on a light purple capsule.
Rectangle {
    id: chip

    property string name

    implicitHeight: row.implicitHeight + 2
    radius: height / 2
    color: Qt.rgba(Theme.purple.r, Theme.purple.g, Theme.purple.b, 0.14)

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 3
        anchors.rightMargin: 3
        spacing: 3

        SymbolIcon {
            name: "star.circle.fill"
            size: 9
            color: Theme.purple
        }
        Text {
            Layout.fillWidth: true
            text: chip.name
            elide: Text.ElideRight
            maximumLineCount: 1
            font: Theme.systemFont(10)
            color: Theme.purple
        }
    }
}
