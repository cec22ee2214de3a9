import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A modal sheet over the window with a navigation bar: "Cancel" at the leading side, the title in
// the middle, "Save" at the trailing side. Escape cancels; Return saves while Save is enabled.
// Both close the sheet after their signal.
//   ModalSheet { title: "New Event"; saveEnabled: editor.canSave
//                onSaved: editor.save(); FormView { anchors.fill: parent; … } }
Popup {
    id: sheet

    property string title
    property bool saveEnabled: true
    default property alias content: body.data
    signal saved()
    signal cancelled()

    function save() {
        if (!saveEnabled)
            return
        saved()
        close()
    }
    function cancel() {
        cancelled()
        close()
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(parent ? parent.width - 2 * margin : 0, 640)
    height: parent ? parent.height - 2 * margin : 0
    readonly property int margin: 28
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.NoAutoClose

    Overlay.modal: Rectangle {
        color: Theme.dimming
    }

    background: Rectangle {
        radius: 12
        color: Theme.groupedBackground
    }

    contentItem: FocusScope {
        focus: true
        clip: true
        Keys.onEscapePressed: sheet.cancel()
        Keys.onReturnPressed: sheet.save()
        Keys.onEnterPressed: sheet.save()

        Rectangle {
            id: bar
            width: parent.width
            height: 52
            radius: 12
            color: Theme.systemBackground

            // Squares the bar's lower corners against the body.
            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: parent.radius
                color: parent.color
            }

            TextButton {
                id: cancelButton
                objectName: "cancelButton"
                anchors.left: parent.left
                anchors.leftMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: "Cancel"
                onClicked: sheet.cancel()
            }

            Label {
                anchors.centerIn: parent
                width: parent.width - 2 * Math.max(cancelButton.width, saveButton.width) - 48
                horizontalAlignment: Text.AlignHCenter
                text: sheet.title
                font: Theme.headline
                color: Theme.primary
                elide: Text.ElideRight
            }

            TextButton {
                id: saveButton
                objectName: "saveButton"
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: "Save"
                emphasized: true
                enabled: sheet.saveEnabled
                onClicked: sheet.save()
            }

            Rectangle {
                anchors.bottom: parent.bottom
                width: parent.width
                height: 1
                color: Theme.separator
            }
        }

        Item {
            id: body
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            // Keeps the body clear of the sheet's rounded lower corners.
            anchors.bottomMargin: 12
        }
    }
}
