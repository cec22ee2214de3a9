import QtQuick
import QtQuick.Controls
import Dayloom.Ui
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

    // Until the main view with its side menu exists, the window shows the calendar screen.
    MacCalendarView {
        objectName: "calendarView"
        anchors.fill: parent
        store: AppRoot.eventStore
    }
}
