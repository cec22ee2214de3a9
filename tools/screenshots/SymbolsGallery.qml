import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// Every symbol of the interface, large, with its name, to check the drawings.
ApplicationWindow {
    id: window

    property var names: []

    width: 900
    height: 640
    visible: true
    color: Theme.systemBackground

    Grid {
        anchors.fill: parent
        anchors.margins: 16
        columns: 6
        rowSpacing: 10
        columnSpacing: 8

        Repeater {
            model: window.names

            Column {
                required property string modelData
                width: 140
                spacing: 4

                SymbolIcon {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: parent.modelData
                    size: 40
                    color: Theme.primary
                }
                Label {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: parent.modelData
                    font: Theme.caption2
                    color: Theme.secondary
                    elide: Text.ElideMiddle
                }
            }
        }
    }
}
