import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A borderless text button in the accent colour, red when destructive, semibold when emphasized
// (the confirming button of a bar), grey while disabled. Space and Return press it.
Button {
    id: control

    property bool destructive: false
    property bool emphasized: false

    flat: true
    padding: 8
    font: Theme.font(Theme.Body, emphasized ? Font.DemiBold : -1)
    Keys.onReturnPressed: control.clicked()
    Keys.onEnterPressed: control.clicked()

    contentItem: Label {
        text: control.text
        font: control.font
        color: !control.enabled ? Theme.tertiary : control.destructive ? Theme.red : Theme.accent
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    background: Rectangle {
        implicitHeight: 36
        radius: 6
        visible: control.down || control.visualFocus
        color: control.down ? Theme.gray5 : Theme.systemBackground
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.accent
    }
}
