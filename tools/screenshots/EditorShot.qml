import QtQuick
import QtQuick.Controls
import Dayloom.Ui
import Dayloom.Editor

// The event editor sheet over an empty window, opened on a stored event (`eventId`) or on a new
// one for Wednesday 13 March, then brought into the state that `step` names.
ApplicationWindow {
    id: window

    property var store
    property string eventId
    // "", "weeklyClass", "applyToSeries", "delete" or "invalidLink".
    property string step

    width: 900
    height: 640
    visible: true
    color: Theme.systemBackground
    palette.highlight: Theme.accent

    function scrollTo(name) {
        const flick = sheet.form.flickable
        const target = findNamed(sheet.form, name)
        const y = target.mapToItem(flick.contentItem, 0, 0).y
        flick.contentY = Math.max(0, Math.min(y - 60, flick.contentHeight - flick.height))
    }

    function findNamed(item, name) {
        if (item.objectName === name)
            return item
        for (let i = 0; i < item.children.length; ++i) {
            const found = findNamed(item.children[i], name)
            if (found)
                return found
        }
        return null
    }

    EditEventView {
        id: sheet
        store: window.store
    }

    Timer {
        running: true
        interval: 0
        onTriggered: {
            if (window.eventId !== "")
                sheet.openForEvent(window.eventId)
            else
                sheet.openForNewEvent(new Date(2024, 2, 13))
            const editor = sheet.editor
            if (window.step === "weeklyClass") {
                editor.title = "Linear algebra"
                editor.categoryIndex = 1
                editor.location = "Room 214"
                editor.repeatRuleIndex = 2
                editor.toggleWeekday(2)
            } else if (window.step === "applyToSeries") {
                editor.applyToSeries = true
            } else if (window.step === "delete") {
                editor.requestDelete()
            } else if (window.step === "invalidLink") {
                editor.title = "Physics lab report"
                editor.attachmentURL = "drive.google.com/file/d/1a2b3c"
            }
            scroller.start()
        }
    }

    // Scrolls once the sections are laid out.
    Timer {
        id: scroller
        interval: 150
        onTriggered: {
            if (window.step === "weeklyClass")
                window.scrollTo("repeatSection")
            else if (window.step === "applyToSeries")
                window.scrollTo("seriesSection")
            else if (window.step === "delete")
                window.scrollTo("deleteSection")
            else if (window.step === "invalidLink")
                window.scrollTo("linkHint")
        }
    }
}
