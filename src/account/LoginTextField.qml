import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A text field with a rounded border, as on the login screen.
TextField {
    id: field

    font: Theme.body
    color: Theme.primary
    placeholderTextColor: Theme.tertiary
    padding: 10

    background: Rectangle {
        implicitHeight: 40
        radius: 6
        color: Theme.systemBackground
        border.width: field.activeFocus ? 2 : 1
        border.color: field.activeFocus ? Theme.accent : Theme.gray4
    }
}
