import QtQuick
import QtTest
import Dayloom.Ui
import Dayloom.Calendar
import Dayloom.CalendarTesting

// The day timeline; the pinned now is 10:00 on Wednesday 13 March 2024.
TestCase {
    id: testCase
    name: "DayView"
    width: 900
    height: 700
    visible: true
    when: windowShown

    property date shownDate

    CalendarTestFixture {
        id: fixture
    }

    Component {
        id: dayComponent
        DayView {
            width: testCase.width
            height: testCase.height
            store: fixture.store
            date: testCase.shownDate
            onDateRequested: (day) => testCase.shownDate = day
        }
    }

    function makeView(day) {
        shownDate = day
        const view = createTemporaryObject(dayComponent, testCase)
        view.forceActiveFocus()
        waitForRendering(view)
        return view
    }

    function topHour(view) {
        return (view.flickable.contentY + view.flickable.topMargin) / view.hourHeight
    }

    function closeEditor(sheet) {
        if (sheet.editor) {
            tryVerify(() => sheet.isOpen)
            sheet.editor.close()
            tryVerify(() => !sheet.isOpen)
        }
    }

    function test_tappingTheThreePmRowOpensTheEditorAtThatHour() {
        const view = makeView(new Date(2024, 2, 14, 10, 0))
        view.flickable.contentY = 14 * view.hourHeight
        const row = findChild(view, "hourRow15")
        mouseClick(row, row.width - 40, view.hourHeight * 0.75)
        const start = view.newSlotStart
        compare(start.getDate(), 14)
        compare(start.getHours(), 15)
        compare(start.getMinutes(), 0)
        compare(view.editorSheet.requestedStart.getTime(), start.getTime())
        compare(view.editorSheet.requestedDate.getDate(), 14)
        if (view.editorSheet.editor)
            compare(view.editorSheet.editor.presetStart.getHours(), 15)
        closeEditor(view.editorSheet)
    }

    function test_tappingABlockOpensItsEditor() {
        const id = fixture.addEvent("Seminar", new Date(2024, 2, 21, 8, 0), new Date(2024, 2, 21, 9, 0))
        const view = makeView(new Date(2024, 2, 21, 12, 0))
        const block = findChild(view, "timelineBlock")
        verify(block)
        compare(block.y, 8 * view.hourHeight)
        mouseClick(block)
        compare(view.editingEventId, id)
        compare(view.editorSheet.requestedEventId, id)
        closeEditor(view.editorSheet)
    }

    function test_onlyAMostlyHorizontalDragChangesTheDay() {
        const view = makeView(new Date(2024, 2, 14, 10, 0))
        mouseDrag(view.flickable, 400, 200, 50, 40)
        compare(shownDate.getDate(), 14)
        mouseDrag(view.flickable, 400, 200, -61, 30)
        compare(shownDate.getDate(), 15)
        mouseDrag(view.flickable, 400, 200, 61, -30)
        compare(shownDate.getDate(), 14)
    }

    function test_arrowKeysAndButtonsStepTheDay() {
        const view = makeView(new Date(2024, 2, 14, 10, 0))
        keyClick(Qt.Key_Right)
        compare(shownDate.getDate(), 15)
        keyClick(Qt.Key_Left)
        keyClick(Qt.Key_Left)
        compare(shownDate.getDate(), 13)
        mouseClick(findChild(view, "nextDayButton"))
        compare(shownDate.getDate(), 14)
        compare(findChild(view, "weekdayTitle").text, "Thursday")
        compare(findChild(view, "dateTitle").text, "March 14, 2024")
    }

    function test_scrollTargetsFollowTheDay() {
        const view = makeView(new Date(2024, 2, 20, 18, 0))
        tryVerify(() => topHour(view) === 7)
        // Today at 10:00 starts at 9 AM, with the current-time line.
        shownDate = new Date(2024, 2, 13, 12, 0)
        tryVerify(() => topHour(view) === 9)
        verify(findChild(view, "nowLine").visible)
        shownDate = new Date(2024, 2, 12, 12, 0)
        tryVerify(() => topHour(view) === 7)
        verify(!findChild(view, "nowLine").visible)
    }

    function test_allDayEventsHaveTheirStrip() {
        const view = makeView(new Date(2024, 2, 25, 12, 0))
        verify(!findChild(view, "allDayStrip").visible)
        fixture.addAllDayEvent("Holiday trip", new Date(2024, 2, 25), 2)
        verify(findChild(view, "allDayStrip").visible)
        compare(findChild(view, "allDayChip").text, "Holiday trip")
    }
}
