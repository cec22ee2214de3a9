import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// A frameless single-line text field for a form row, as wide as the row allows:
//   FormRow { FormTextField { placeholderText: "Title"; text: editor.title } }
TextField {
    Layout.fillWidth: true
    leftPadding: 0
    rightPadding: 0
    font: Theme.body
    color: Theme.primary
    placeholderTextColor: Theme.tertiary
    selectByMouse: true
    background: Item {
        implicitHeight: 32
    }
}
