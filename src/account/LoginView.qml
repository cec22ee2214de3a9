import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Account

// The screen shown while nobody is signed in: continue locally with an optional name and e-mail,
// or sign in with Google in the browser. The window places it, at most 760 wide and centred.
Item {
    id: view

    required property UserStore userStore
    readonly property alias controller: controller

    LoginController {
        id: controller
        userStore: view.userStore
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 28

        // One third of the free height above the header, two thirds below the form.
        Item { Layout.fillHeight: true }

        ColumnLayout {
            Layout.alignment: Qt.AlignHCenter
            spacing: 12

            SymbolIcon {
                objectName: "loginSymbol"
                Layout.alignment: Qt.AlignHCenter
                name: "calendar"
                size: 48
                color: Theme.accent
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: "Dayloom"
                font: Theme.font(Theme.LargeTitle, Font.DemiBold)
                color: Theme.primary
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: "Keep track of your schedule, simply."
                font: Theme.subheadline
                color: Theme.secondary
            }
        }

        ColumnLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 32
            Layout.rightMargin: 32
            spacing: 14
            enabled: !controller.waitingForGoogle

            LoginTextField {
                objectName: "nameField"
                Layout.fillWidth: true
                placeholderText: "Your name (optional)"
                text: controller.name
                onTextEdited: controller.name = text
            }
            LoginTextField {
                objectName: "emailField"
                Layout.fillWidth: true
                placeholderText: "Email (optional)"
                inputMethodHints: Qt.ImhEmailCharactersOnly | Qt.ImhNoAutoUppercase
                text: controller.email
                onTextEdited: controller.email = text
                onAccepted: controller.continueWithoutGoogle()
            }

            Button {
                id: continueButton
                objectName: "continueButton"
                Layout.fillWidth: true
                text: "Continue without Google"
                font: Theme.font(Theme.Body, Font.DemiBold)
                padding: Theme.standardPadding
                onClicked: controller.continueWithoutGoogle()
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()

                contentItem: Label {
                    text: continueButton.text
                    font: continueButton.font
                    color: Theme.white
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    radius: 10
                    color: Theme.accent
                    opacity: continueButton.enabled ? (continueButton.down ? 0.8 : 1) : 0.5
                    border.width: continueButton.visualFocus ? 2 : 0
                    border.color: Theme.primary
                }
            }

            Button {
                id: googleButton
                objectName: "googleButton"
                Layout.fillWidth: true
                text: "Sign in with Google"
                font: Theme.body
                padding: Theme.standardPadding
                onClicked: controller.signInWithGoogle(view.Window.window)
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()

                contentItem: RowLayout {
                    spacing: 8
                    SymbolIcon {
                        name: "g.circle.fill"
                        size: 20
                        color: googleButton.enabled ? Theme.primary : Theme.tertiary
                    }
                    Label {
                        text: googleButton.text
                        font: googleButton.font
                        color: googleButton.enabled ? Theme.primary : Theme.tertiary
                    }
                    Item { Layout.fillWidth: true }
                }
                background: Rectangle {
                    radius: 10
                    color: googleButton.down ? Theme.gray5 : "transparent"
                    border.width: googleButton.visualFocus ? 2 : 1
                    border.color: googleButton.visualFocus ? Theme.accent : Theme.gray4
                }
            }
        }

        // While the browser shows Google's page: what to do, and a way back.
        RowLayout {
            objectName: "waitingRow"
            Layout.alignment: Qt.AlignHCenter
            Layout.leftMargin: 32
            Layout.rightMargin: 32
            visible: controller.waitingForGoogle
            spacing: 8

            BusyIndicator {
                running: controller.waitingForGoogle
                Layout.preferredWidth: 24
                Layout.preferredHeight: 24
            }
            Label {
                text: "Waiting for Google: finish signing in in your browser."
                font: Theme.footnote
                color: Theme.secondary
                wrapMode: Text.Wrap
                Layout.maximumWidth: view.width - 200
            }
            TextButton {
                objectName: "cancelGoogleButton"
                text: "Cancel"
                onClicked: controller.cancelGoogleSignIn()
            }
        }

        Item { Layout.fillHeight: true }
        Item { Layout.fillHeight: true }

        Label {
            Layout.fillWidth: true
            Layout.leftMargin: 32
            Layout.rightMargin: 32
            Layout.bottomMargin: 16
            text: "Your events stay on this device unless you sign in with Google to sync them with Google Calendar."
            font: Theme.caption2
            color: Theme.secondary
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }
    }

    AlertDialog {
        objectName: "googleErrorAlert"
        title: "Google Sign-In error"
        message: controller.googleErrorMessage
        shown: controller.showGoogleError
        onDismissed: controller.dismissGoogleError()
    }
}
