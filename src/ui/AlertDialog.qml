import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A modal alert with a title, a message and one "OK" button that closes it, as do Escape and
// Return. Bind `shown` to the state that shows it; `dismissed()` reports the close.
//   AlertDialog { title: "Error"; message: controller.message; shown: controller.showError
//                 onDismissed: controller.dismiss() }
Popup {
    id: alert

    property string title
    property string message
    property bool shown: false
    signal dismissed()

    function dismiss() {
        close()
        dismissed()
    }

    onShownChanged: shown ? open() : close()
    Component.onCompleted: if (shown) open()

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: 300
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.NoAutoClose

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
        Keys.onEscapePressed: alert.dismiss()

        Column {
            id: column
            width: parent.width
            topPadding: Theme.standardPadding

            Label {
                objectName: "alertTitle"
                width: parent.width
                leftPadding: Theme.standardPadding
                rightPadding: Theme.standardPadding
                text: alert.title
                font: Theme.headline
                color: Theme.primary
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }

            Label {
                objectName: "alertMessage"
                width: parent.width
                padding: Theme.standardPadding
                topPadding: 4
                text: alert.message
                font: Theme.footnote
                color: Theme.primary
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }

            Button {
                id: okButton
                objectName: "alertOkButton"
                width: column.width
                height: 46
                flat: true
                focus: true
                text: "OK"
                font: Theme.font(Theme.Body, Font.DemiBold)
                onClicked: alert.dismiss()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()

                contentItem: Label {
                    text: okButton.text
                    font: okButton.font
                    color: Theme.accent
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }

                background: Rectangle {
                    color: okButton.down || okButton.visualFocus ? Theme.gray5 : Theme.systemBackground
                    radius: 14

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
