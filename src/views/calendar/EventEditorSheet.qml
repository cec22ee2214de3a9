import QtQuick
import Dayloom.Ui
import Dayloom.Calendar

// Opens the event editor as a sheet for a stored event or for a new one, and reports when it
// has closed. Without an editor in the build the requests are still recorded, so the calendar
// views keep working.
//   EventEditorSheet { id: sheet; store: root.store; onClosed: … }
//   sheet.openForEvent(eventId)   sheet.openForNewEvent(day)   sheet.openForNewEvent(day, start)
Item {
    id: sheet

    property EventStore store
    // What the last request asked for, as the editor received it.
    property string requestedEventId
    property var requestedDate
    property var requestedStart
    readonly property var editor: loader.item
    readonly property bool isOpen: loader.item ? loader.item.opened : false
    signal closed()

    function openForEvent(eventId) {
        requestedEventId = eventId
        requestedDate = undefined
        requestedStart = undefined
        if (load())
            loader.item.openForEvent(eventId)
    }

    function openForNewEvent(day, start) {
        requestedEventId = ""
        requestedDate = day
        requestedStart = start
        if (load())
            loader.item.openForNewEvent(day, start)
    }

    // The editor is built on the first request, so that a screen starts without one.
    function load() {
        loader.active = EditorLocator.available
        return loader.item !== null
    }

    Loader {
        id: loader
        active: false
        source: EditorLocator.url
        onLoaded: item.store = Qt.binding(() => sheet.store)
    }

    Connections {
        target: loader.item
        ignoreUnknownSignals: true
        function onClosed() {
            sheet.closed()
        }
    }
}
