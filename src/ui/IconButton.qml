import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A borderless button showing one symbol, with a tap area of at least `tapSize` square:
//   IconButton { symbol: "line.3.horizontal"; tapSize: 40; onClicked: … }
AbstractButton {
    id: control

    property string symbol
    property color color: Theme.accent
    property real symbolSize: 20
    property real tapSize: 32

    implicitWidth: Math.max(tapSize, symbolSize)
    implicitHeight: Math.max(tapSize, symbolSize)
    padding: 0
    Accessible.name: symbol

    contentItem: Item {
        SymbolIcon {
            anchors.centerIn: parent
            name: control.symbol
            size: control.symbolSize
            color: control.enabled ? control.color : Theme.tertiary
        }
    }

    background: Rectangle {
        radius: 6
        visible: control.down || control.visualFocus
        color: control.down ? Theme.gray5 : Theme.systemBackground
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.accent
    }
}
