import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A modal question before a destructive action. The title is always shown; the buttons follow
// in the order destructive first, then the others, and "Cancel" last. Every button closes the
// dialog; "Cancel" and Escape emit cancelled(). Keyboard focus starts on "Cancel".
//   ConfirmationDialog {
//       title: "Delete repeating event"
//       ConfirmationAction { text: "Delete this event only"; destructive: true; onTriggered: … }
//   }
Popup {
    id: dialog

    property string title
    default property alias actions: confirmation.actions
    readonly property alias buttons: confirmation.buttons
    signal cancelled()

    function choose(action) {
        close()
        action.trigger()
        if (action.isCancel)
            cancelled()
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 340
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.NoAutoClose

    ConfirmationModel {
        id: confirmation
    }

    Overlay.modal: Rectangle {
        color: Theme.dimming
    }

    background: Rectangle {
        radius: 14
        color: Theme.systemBackground
        border.width: 1
        border.color: Theme.gray4
    }

    contentItem: FocusScope {
        implicitHeight: column.implicitHeight
        focus: true
        Keys.onEscapePressed: dialog.choose(confirmation.cancelAction)

        Column {
            id: column
            width: parent.width

            Label {
                objectName: "dialogTitle"
                width: parent.width
                padding: Theme.standardPadding
                text: dialog.title
                font: Theme.font(Theme.Footnote, Font.DemiBold)
                color: Theme.secondary
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }

            Repeater {
                model: confirmation.buttons

                delegate: Button {
                    id: choice

                    required property var modelData
                    required property int index

                    objectName: "dialogButton" + index
                    width: column.width
                    height: 50
                    flat: true
                    focus: modelData.isCancel
                    text: modelData.text
                    font: Theme.font(Theme.Body, modelData.isCancel ? Font.DemiBold : -1)
                    onClicked: dialog.choose(modelData)
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()

                    contentItem: Label {
                        text: choice.text
                        font: choice.font
                        color: choice.modelData.destructive ? Theme.red : Theme.accent
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        elide: Text.ElideRight
                    }

                    background: Rectangle {
                        color: choice.down || choice.visualFocus ? Theme.gray5 : Theme.systemBackground
                        radius: choice.modelData.isCancel ? 14 : 0

                        Rectangle {
                            width: parent.width
                            height: 1
                            color: Theme.separator
                        }
                    }
                }
            }
        }
    }
}
