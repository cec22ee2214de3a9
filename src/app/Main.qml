import QtQuick
import QtQuick.Controls
import Dayloom.Ui
import Dayloom.Account
import Dayloom.Calendar
import Dayloom.App

ApplicationWindow {
    id: window
    title: "Dayloom"
    width: 1200
    height: 800
    minimumWidth: 900
    minimumHeight: 640
    visible: true
    color: Theme.systemBackground
    palette.highlight: Theme.accent
    palette.button: Theme.accent

    // The calendar screen while somebody is signed in, the login screen otherwise; the choice
    // follows the user store.
    Loader {
        anchors.fill: parent
        sourceComponent: AppRoot.userStore.isLoggedIn ? signedInContent : loginContent
    }

    Component {
        id: signedInContent

        MacCalendarView {
            objectName: "calendarView"
            store: AppRoot.eventStore
        }
    }

    Component {
        id: loginContent

        Item {
            LoginView {
                objectName: "loginView"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(parent.width, 760)
                height: parent.height
                userStore: AppRoot.userStore
            }
        }
    }
}
