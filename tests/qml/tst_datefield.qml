import QtQuick
import QtTest
import Dayloom.Ui

TestCase {
    id: testCase
    name: "DateField"
    width: 900
    height: 640
    visible: true
    when: windowShown

    // Dates are local wall-clock times; the runner's time zone is New York.
    property date backendValue: new Date(2024, 2, 20, 14, 37)
    property date backendMinimum: new Date(2024, 2, 13, 10, 0)

    Component {
        id: dateTimeComponent
        DateTimeField {
            x: 400
            y: 40
            value: testCase.backendValue
            minimum: testCase.backendMinimum
            onEdited: testCase.backendValue = value
        }
    }

    Component {
        id: dateComponent
        DateField {
            x: 400
            y: 40
            value: testCase.backendValue
            onEdited: testCase.backendValue = value
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
            signalName: "edited"
        }
    }

    function init() {
        backendValue = new Date(2024, 2, 20, 14, 37)
        backendMinimum = new Date(2024, 2, 13, 10, 0)
    }

    function openField(component) {
        const field = createTemporaryObject(component, testCase)
        mouseClick(field)
        tryCompare(field.calendarPopup, "opened", true)
        return field
    }

    function dayCell(field, day) {
        const days = field.picker.days
        for (let i = 0; i < days.length; ++i) {
            if (days[i].inMonth && days[i].day === day)
                return findChild(field.calendarPopup.contentItem, "day" + i)
        }
        return null
    }

    function sameMoment(a, b) {
        return a.getTime() === b.getTime()
    }

    function test_showsTheValueInTheLocale() {
        const field = createTemporaryObject(dateTimeComponent, testCase)
        compare(field.text, "Mar 20, 2024, 2:37 PM")
        compare(createTemporaryObject(dateComponent, testCase).text, "Mar 20, 2024")
    }

    function test_daysBeforeTheMinimumCannotBeChosen() {
        const field = openField(dateTimeComponent)
        const spy = createTemporaryObject(spyComponent, testCase, { target: field })
        const twelfth = dayCell(field, 12)
        verify(!twelfth.enabled)
        mouseClick(twelfth)
        compare(spy.count, 0)
        verify(sameMoment(backendValue, new Date(2024, 2, 20, 14, 37)))
        verify(!findChild(field.calendarPopup.contentItem, "previousMonth").enabled)

        mouseClick(dayCell(field, 13))
        compare(spy.count, 1)
        verify(sameMoment(backendValue, new Date(2024, 2, 13, 14, 37)))
        // A date-and-time field stays open for the hour and minute.
        verify(field.calendarPopup.visible)
    }

    function test_hourBelowTheMinimumFallsBackToIt() {
        backendValue = new Date(2024, 2, 13, 10, 30)
        const field = openField(dateTimeComponent)
        const hourBox = findChild(field.calendarPopup.contentItem, "hourBox")
        compare(hourBox.displayText, "10 AM")
        hourBox.forceActiveFocus()
        keyClick(Qt.Key_Down)
        verify(sameMoment(backendValue, new Date(2024, 2, 13, 10, 0)))
        compare(hourBox.value, 10)
        keyClick(Qt.Key_Up)
        verify(sameMoment(backendValue, new Date(2024, 2, 13, 11, 0)))
    }

    function test_dateFieldClosesOnAChoiceAndKeepsItsBinding() {
        const field = openField(dateComponent)
        mouseClick(dayCell(field, 1))
        tryCompare(field.calendarPopup, "visible", false)
        verify(sameMoment(backendValue, new Date(2024, 2, 1, 14, 37)))
        backendValue = new Date(2024, 6, 4, 9, 0)
        compare(field.text, "Jul 4, 2024")
    }

    function test_keyboardMovesTheDayAndEscapeCloses() {
        const field = openField(dateComponent)
        keyClick(Qt.Key_Right)
        keyClick(Qt.Key_Down)
        verify(sameMoment(backendValue, new Date(2024, 2, 28, 14, 37)))
        keyClick(Qt.Key_PageDown)
        compare(field.picker.monthTitle, "April 2024")
        keyClick(Qt.Key_Escape)
        tryCompare(field.calendarPopup, "visible", false)
        verify(sameMoment(backendValue, new Date(2024, 2, 28, 14, 37)))
    }

    function test_todayIsMarked() {
        const field = openField(dateComponent)
        const days = field.picker.days
        const marked = days.filter((day) => day.today)
        compare(marked.length, 1)
        compare(marked[0].day, 13)
    }
}
