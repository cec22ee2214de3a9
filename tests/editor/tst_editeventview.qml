import QtQuick
import QtQuick.Controls
import QtTest
import Dayloom.Ui
import Dayloom.Editor
import Dayloom.EditorTesting

// The editor sheet driven as a user would: clicks, typing and keys. The runner's clock stands at
// 10:00 on Wednesday 13 March 2024 in New York.
TestCase {
    id: testCase
    name: "EditEventView"
    width: 900
    height: 640
    visible: true
    when: windowShown

    Component {
        id: fixtureComponent
        EditorFixture {}
    }

    Component {
        id: viewComponent
        EditEventView {}
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function makeFixture() {
        return createTemporaryObject(fixtureComponent, testCase)
    }

    function openNew(fixture) {
        const view = createTemporaryObject(viewComponent, testCase, { store: fixture.store })
        view.openForNewEvent(new Date(2024, 2, 13))
        tryCompare(view, "opened", true)
        return view
    }

    function openEvent(fixture, id) {
        const view = createTemporaryObject(viewComponent, testCase, { store: fixture.store })
        view.openForEvent(id)
        tryCompare(view, "opened", true)
        return view
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function find(view, name) {
        const item = findChild(view.contentItem, name)
        verify(item, name)
        return item
    }

    // Scrolls the form so that `item` is on screen, once the sections have been laid out.
    function reveal(view, item) {
        wait(30)
        const flick = view.form.flickable
        const y = item.mapToItem(flick.contentItem, 0, 0).y
        flick.contentY = Math.max(0, Math.min(y - 40, flick.contentHeight - flick.height))
        wait(0)
    }

    function click(view, name) {
        const item = find(view, name)
        reveal(view, item)
        mouseClick(item)
        return item
    }

    function type(text) {
        for (const character of text)
            keyClick(character)
    }

    function choose(view, pickerName, index) {
        const picker = click(view, pickerName)
        tryCompare(picker.popup, "opened", true)
        const choice = findChild(picker.popup.contentItem, "choice" + index)
        verify(choice)
        mouseClick(choice)
        tryCompare(picker.popup, "visible", false)
    }

    function test_typingATitleEnablesSave() {
        const fixture = makeFixture()
        const view = openNew(fixture)
        const closed = spyOn(view, "closed")
        const save = find(view, "saveButton")
        compare(view.title, "New Event")
        verify(!save.enabled)
        verify(find(view, "titleField").activeFocus)
        type("   ")
        verify(!save.enabled)
        type("Lab")
        verify(save.enabled)
        mouseClick(save)
        tryCompare(view, "visible", false)
        compare(closed.count, 1)
        compare(fixture.titles(), ["   Lab"])
    }

    function test_returnInTheTitleSavesAndEscapeCancels() {
        const fixture = makeFixture()
        const view = openNew(fixture)
        keyClick(Qt.Key_Return)
        verify(view.visible)
        type("Gym")
        keyClick(Qt.Key_Return)
        tryCompare(view, "visible", false)
        compare(fixture.titles(), ["Gym"])

        // Opened again, the form starts afresh; Escape leaves the store alone.
        view.openForNewEvent(new Date(2024, 2, 14))
        tryCompare(view, "opened", true)
        compare(find(view, "titleField").text, "")
        verify(find(view, "titleField").activeFocus)
        type("Swim")
        keyClick(Qt.Key_Escape)
        tryCompare(view, "visible", false)
        compare(fixture.titles(), ["Gym"])
    }

    function test_invalidLinkShowsTheHintAndDisablesSave() {
        const view = openNew(makeFixture())
        type("Reading")
        const save = find(view, "saveButton")
        const hint = find(view, "linkHint")
        verify(!hint.visible)

        click(view, "linkField")
        type("drive.google.com/file")
        verify(hint.visible)
        compare(hint.text, "Enter a full link starting with http:// or https://")
        compare(String(hint.color), String(Theme.red))
        verify(!save.enabled)
        keyClick(Qt.Key_Return)
        verify(view.visible)

        find(view, "linkField").selectAll()
        type("https://drive.google.com/file")
        verify(!hint.visible)
        verify(save.enabled)
    }

    function test_theOnlyChosenWeekdayStays() {
        const view = openNew(makeFixture())
        const wednesday = find(view, "weekdayChip4")
        verify(!wednesday.visible)
        verify(!find(view, "occurrenceLine").visible)

        choose(view, "repeatPicker", 2)
        compare(find(view, "repeatPicker").displayText, "Every week")
        verify(wednesday.visible)
        for (let weekday = 1; weekday <= 7; ++weekday)
            compare(find(view, "weekdayChip" + weekday).chosen, weekday === 4)
        // 15 Wednesdays from 13 March to 19 June, the default end 98 days on.
        compare(find(view, "occurrenceLine").text, "Creates 15 events (up to 150).")

        click(view, "weekdayChip4")
        verify(wednesday.chosen)
        compare(view.editor.repeatWeekdays, [4])

        click(view, "weekdayChip2")
        click(view, "weekdayChip4")
        verify(!wednesday.chosen)
        verify(find(view, "weekdayChip2").chosen)
        compare(find(view, "occurrenceLine").text, "Creates 14 events (up to 150).")
    }

    function test_schoolCategoriesShowRoomAndTeacher() {
        const fixture = makeFixture()
        const view = openNew(fixture)
        type("Essay")
        const location = find(view, "locationField")
        const teacher = find(view, "instructorField")
        compare(location.placeholderText, "Location")
        verify(!teacher.visible)

        for (const index of [1, 2]) { // "Class", "Exam"
            choose(view, "typePicker", index)
            compare(location.placeholderText, "Room / building")
            verify(teacher.visible)
            compare(teacher.placeholderText, "Teacher / instructor")
        }
        click(view, "instructorField")
        type("Rivera")

        choose(view, "typePicker", 3)
        compare(find(view, "typePicker").displayText, "Homework")
        compare(location.placeholderText, "Location")
        verify(!teacher.visible)
        compare(teacher.text, "Rivera")

        mouseClick(find(view, "saveButton"))
        tryCompare(view, "visible", false)
        compare(fixture.titles(), ["Essay"])
    }

    function test_hiddenTeacherIsStillSaved() {
        const fixture = makeFixture()
        const id = fixture.addEvent("Physics", new Date(2024, 2, 14, 9), new Date(2024, 2, 14, 10))
        const view = openEvent(fixture, id)
        choose(view, "typePicker", 1)
        click(view, "instructorField")
        type("Dr. Okafor")
        choose(view, "typePicker", 3)
        mouseClick(find(view, "saveButton"))
        tryCompare(view, "visible", false)
        compare(fixture.event(id).instructor, "Dr. Okafor")
    }

    function test_remindersAndColourAreChosenByClicking() {
        const fixture = makeFixture()
        const id = fixture.addEvent("Dentist", new Date(2024, 2, 14, 9), new Date(2024, 2, 14, 10))
        const view = openEvent(fixture, id)
        const hour = find(view, "reminderRow60")
        compare(hour.text, "1 hour before")
        const checkmark = findChild(hour, "checkmark")
        verify(!checkmark.visible)
        click(view, "reminderRow60")
        verify(checkmark.visible)
        click(view, "reminderRow15")
        click(view, "reminderRow300")
        click(view, "reminderRow300")
        click(view, "swatchTomato")
        compare(view.editor.colorName, "Tomato")
        mouseClick(find(view, "saveButton"))
        tryCompare(view, "visible", false)
        compare(fixture.event(id).reminderMinutes, [15, 60])
        compare(fixture.event(id).colorName, "Tomato")
    }

    function test_seriesMemberOffersTheWholeSeries() {
        const fixture = makeFixture()
        const id = fixture.addDailySeries("Seminar", new Date(2024, 2, 18, 9), new Date(2024, 2, 18, 10), 5)
        const view = openEvent(fixture, id)
        compare(view.title, "Edit Event")
        verify(!find(view, "repeatSection").visible)
        verify(find(view, "seriesSection").visible)
        const segments = find(view, "applyToSeriesControl")
        compare(segments.model, ["This event", "All 5 events"])
        verify(!find(view, "seriesNote").visible)
        reveal(view, segments)
        mouseClick(segments, segments.width * 3 / 4, segments.height / 2)
        verify(view.editor.applyToSeries)
        verify(find(view, "seriesNote").visible)
        compare(find(view, "deleteButton").text, "Delete…")
    }

    function test_deleteDialogButtonsDoWhatTheySay_data() {
        return [
            { tag: "this event only", button: 0, text: "Delete this event only", remaining: 4, closes: true },
            { tag: "all events", button: 1, text: "Delete all 5 events", remaining: 0, closes: true },
            { tag: "cancel", button: 2, text: "Cancel", remaining: 5, closes: false },
        ]
    }

    function test_deleteDialogButtonsDoWhatTheySay(data) {
        const fixture = makeFixture()
        const id = fixture.addDailySeries("Seminar", new Date(2024, 2, 18, 9), new Date(2024, 2, 18, 10), 5)
        const view = openEvent(fixture, id)
        click(view, "deleteButton")
        const dialog = find(view, "deleteDialog")
        tryCompare(dialog, "opened", true)
        compare(dialog.title, "Delete repeating event")
        compare(fixture.count(), 5)
        const button = findChild(dialog.contentItem, "dialogButton" + data.button)
        compare(button.text, data.text)
        mouseClick(button)
        tryCompare(dialog, "visible", false)
        compare(fixture.count(), data.remaining)
        verify(!view.editor.showDeleteChoice)
        if (data.closes) {
            tryCompare(view, "visible", false)
        } else {
            verify(view.visible)
            if (data.button === 2)
                compare(fixture.event(id).title, "Seminar")
        }
    }

    function test_singleEventDeletesAtOnce() {
        const fixture = makeFixture()
        const id = fixture.addEvent("Dentist", new Date(2024, 2, 14, 9), new Date(2024, 2, 14, 10))
        const view = openEvent(fixture, id)
        compare(find(view, "deleteButton").text, "Delete Event")
        click(view, "deleteButton")
        tryCompare(view, "visible", false)
        compare(fixture.count(), 0)
        verify(!find(view, "deleteDialog").visible)
    }

    function test_tabMovesThroughTheFields() {
        const view = openNew(makeFixture())
        verify(find(view, "titleField").activeFocus)
        const order = ["allDaySwitch", "startsField", "endsField", "typePicker", "locationField", "repeatPicker"]
        for (const name of order) {
            keyClick(Qt.Key_Tab)
            verify(find(view, name).activeFocus, name)
        }

        // The notes take no tab characters: Tab leaves them, Shift+Tab comes back.
        const notes = find(view, "notesField")
        notes.forceActiveFocus()
        keyClick(Qt.Key_Tab)
        verify(find(view, "linkField").activeFocus)
        keyClick(Qt.Key_Tab, Qt.ShiftModifier)
        verify(notes.activeFocus)
        compare(notes.text, "")

        // The colour row is one stop whose arrow keys choose the neighbouring colour.
        find(view, "colorRow").forceActiveFocus()
        keyClick(Qt.Key_Right)
        compare(view.editor.colorName, "Blueberry")
        keyClick(Qt.Key_Left)
        keyClick(Qt.Key_Left)
        compare(view.editor.colorName, "Sage")
    }
}
