import QtQuick
import QtTest
import Dayloom.Ui
import Dayloom.Calendar
import Dayloom.CalendarTesting

// The calendar screen in Month mode on the pinned today, Wednesday 13 March 2024.
TestCase {
    id: testCase
    name: "CalendarScreen"
    width: 1000
    height: 900
    visible: true
    when: windowShown

    Component {
        id: fixtureComponent
        CalendarTestFixture {}
    }

    Component {
        id: viewComponent
        MacCalendarView {
            width: testCase.width
            height: testCase.height
        }
    }

    function makeView(setUp) {
        const fixture = createTemporaryObject(fixtureComponent, testCase)
        if (setUp)
            setUp(fixture)
        const view = createTemporaryObject(viewComponent, testCase, { store: fixture.store })
        view.forceActiveFocus()
        waitForRendering(view)
        return { fixture: fixture, view: view, screen: view.screen }
    }

    // The cell of `day` in `month` (0-based, as in Date) shown by the grid.
    function cellFor(view, month, day) {
        for (let i = 0; i < 42; ++i) {
            const cell = findChild(view, "dayCell" + i)
            if (cell && cell.date.getMonth() === month && cell.date.getDate() === day)
                return cell
        }
        return null
    }

    function closeEditor(sheet) {
        if (sheet.editor) {
            tryVerify(() => sheet.isOpen)
            sheet.editor.close()
            tryVerify(() => !sheet.isOpen)
        }
    }

    function test_singleTapSelectsAndTheDayListFollows() {
        const t = makeView((fixture) => {
            fixture.addEvent("Lunch", new Date(2024, 2, 15, 12, 0), new Date(2024, 2, 15, 13, 0))
        })
        const list = findChild(t.view, "dayEventList")
        compare(list.rows.count, 0)
        verify(findChild(list, "noEvents").visible)
        mouseClick(cellFor(t.view, 2, 15))
        compare(t.screen.selectedDate.getDate(), 15)
        compare(t.screen.modeLabel, "Month")
        compare(findChild(list, "dayHeader").text, "Friday, March 15, 2024")
        compare(list.rows.count, 1)
        verify(!findChild(list, "noEvents").visible)
    }

    function test_doubleTapOpensTheDay() {
        const t = makeView()
        mouseDoubleClickSequence(cellFor(t.view, 2, 20))
        compare(t.screen.modeLabel, "Day")
        compare(t.screen.selectedDate.getDate(), 20)
        verify(!findChild(t.view, "dayEventList").visible)
        tryVerify(() => findChild(t.view, "weekdayTitle") !== null)
        compare(findChild(t.view, "weekdayTitle").text, "Wednesday")
    }

    function test_tappingAGreyedDayMovesTheGrid() {
        const t = makeView()
        const april = cellFor(t.view, 3, 1)
        verify(april)
        compare(april.label, "Apr 1")
        mouseClick(april)
        compare(t.screen.selectedDate.getMonth(), 3)
        compare(t.screen.title, "April")
        // April 2024 starts on a Monday: the first row now begins on 31 March.
        compare(findChild(t.view, "dayCell0").date.getDate(), 31)
        verify(cellFor(t.view, 3, 30))
    }

    function test_chipTapOpensTheEditorAndKeepsTheSelection() {
        let id = ""
        const t = makeView((fixture) => {
            id = fixture.addEvent("Dentist", new Date(2024, 2, 20, 9, 0), new Date(2024, 2, 20, 10, 0))
        })
        const chip = findChild(cellFor(t.view, 2, 20), "eventChip")
        verify(chip)
        mouseClick(chip)
        verify(t.screen.isEditing)
        compare(t.screen.editingEventId, id)
        compare(t.view.editorSheet.requestedEventId, id)
        compare(t.screen.selectedDate.getDate(), 13)
        closeEditor(t.view.editorSheet)
        verify(!t.screen.isEditing)
    }

    function test_plusTwiceMakesTwoRequests() {
        const t = makeView()
        const plus = findChild(t.view, "plusButton")
        mouseClick(plus)
        verify(t.screen.hasNewDay)
        const first = t.screen.newDayId
        compare(t.view.editorSheet.requestedDate.getDate(), 13)
        compare(t.view.editorSheet.requestedStart, undefined)
        closeEditor(t.view.editorSheet)
        if (t.view.editorSheet.editor)
            verify(!t.screen.hasNewDay)
        mouseClick(plus)
        verify(t.screen.hasNewDay)
        verify(t.screen.newDayId !== first)
        closeEditor(t.view.editorSheet)
    }

    function test_deletingARowRemovesOnlyThatEvent() {
        const t = makeView((fixture) => {
            fixture.addEvent("Standup", new Date(2024, 2, 13, 9, 0), new Date(2024, 2, 13, 9, 15))
            fixture.addEvent("Review", new Date(2024, 2, 13, 14, 0), new Date(2024, 2, 13, 15, 0))
            fixture.addEvent("Tomorrow", new Date(2024, 2, 14, 9, 0), new Date(2024, 2, 14, 10, 0))
        })
        const list = findChild(t.view, "dayEventList")
        compare(list.rows.count, 2)

        // The Delete key on a focused row.
        const first = findChild(list, "eventRow0")
        first.forceActiveFocus()
        keyClick(Qt.Key_Delete)
        compare(t.fixture.titles(), ["Review", "Tomorrow"])

        // A swipe to the left uncovers the delete action.
        const row = findChild(list, "eventRow0")
        mouseDrag(row, row.width - 20, row.height / 2, -160, 0)
        const action = findChild(row, "deleteAction")
        tryVerify(() => row.swipe.position < -0.5)
        mouseClick(action)
        compare(t.fixture.titles(), ["Tomorrow"])
        verify(findChild(list, "noEvents").visible)
    }

    function test_keyboardMovesOpensAndSwitchesModes() {
        const t = makeView()
        keyClick(Qt.Key_Right)
        compare(t.screen.selectedDate.getDate(), 14)
        keyClick(Qt.Key_Down)
        compare(t.screen.selectedDate.getDate(), 21)
        keyClick(Qt.Key_Return)
        compare(t.screen.modeLabel, "Day")
        compare(t.screen.selectedDate.getDate(), 21)
        keyClick(Qt.Key_3, Qt.ControlModifier)
        compare(t.screen.modeLabel, "Month")
        keyClick(Qt.Key_4, Qt.ControlModifier)
        compare(t.screen.modeLabel, "Year")
        compare(t.screen.title, "2024")
    }

    function test_modePickerAndNavigation() {
        const t = makeView()
        const picker = t.view.toolbar.modePicker
        compare(picker.width, 320)
        compare(picker.model, ["Day", "Week", "Month", "Year"])
        mouseClick(picker, 320 * 3 / 8, picker.height / 2)
        compare(t.screen.modeLabel, "Week")
        verify(findChild(t.view, "dayEventList").visible)
        mouseClick(findChild(t.view, "nextButton"))
        compare(t.screen.selectedDate.getDate(), 20)
        mouseClick(findChild(t.view, "todayButton"))
        compare(t.screen.selectedDate.getDate(), 13)
    }
}
