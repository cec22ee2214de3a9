import QtQuick
import QtQuick.Controls
import QtTest
import Dayloom.Ui

TestCase {
    id: testCase
    name: "ModalSheet"
    width: 900
    height: 640
    visible: true
    when: windowShown

    Component {
        id: sheetComponent
        ModalSheet {
            title: "New Event"
            saveEnabled: titleField.text.trim() !== ""
            property alias titleField: titleField
            property alias notesField: notesField
            property alias dateField: dateField

            Column {
                anchors.fill: parent
                TextField { id: titleField; objectName: "title"; focus: true; width: 300 }
                TextField { id: notesField; objectName: "notes"; width: 300 }
                DateField { id: dateField; value: new Date(2024, 2, 13, 10, 0) }
            }
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function openSheet() {
        const sheet = createTemporaryObject(sheetComponent, testCase)
        sheet.open()
        tryCompare(sheet, "opened", true)
        return sheet
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function barButton(sheet, name) {
        return findChild(sheet.contentItem, name)
    }

    function test_saveFollowsItsEnablement() {
        const sheet = openSheet()
        const saved = spyOn(sheet, "saved")
        const save = barButton(sheet, "saveButton")
        compare(barButton(sheet, "cancelButton").text, "Cancel")
        compare(save.text, "Save")
        verify(!save.enabled)
        mouseClick(save)
        keyClick(Qt.Key_Return)
        compare(saved.count, 0)
        verify(sheet.visible)

        verify(sheet.titleField.activeFocus)
        keyClick(Qt.Key_L)
        verify(save.enabled)
        mouseClick(save)
        compare(saved.count, 1)
        tryCompare(sheet, "visible", false)
    }

    function test_returnInAFieldSavesWhenEnabled() {
        const sheet = openSheet()
        const saved = spyOn(sheet, "saved")
        keyClick(Qt.Key_Space)
        keyClick(Qt.Key_Return)
        compare(saved.count, 0)
        keyClick(Qt.Key_A)
        keyClick(Qt.Key_Return)
        compare(saved.count, 1)
        tryCompare(sheet, "visible", false)
    }

    function test_escapeAndCancelCancel() {
        const sheet = openSheet()
        const saved = spyOn(sheet, "saved")
        const cancelled = spyOn(sheet, "cancelled")
        keyClick(Qt.Key_A)
        keyClick(Qt.Key_Escape)
        compare(cancelled.count, 1)
        tryCompare(sheet, "visible", false)
        sheet.open()
        tryCompare(sheet, "opened", true)
        mouseClick(barButton(sheet, "cancelButton"))
        compare(cancelled.count, 2)
        compare(saved.count, 0)
        tryCompare(sheet, "visible", false)
    }

    function test_tabMovesBetweenFields() {
        const sheet = openSheet()
        verify(sheet.titleField.activeFocus)
        keyClick(Qt.Key_Tab)
        verify(sheet.notesField.activeFocus)
    }

    function test_keysOfAnOpenCalendarStayWithIt() {
        const sheet = openSheet()
        const saved = spyOn(sheet, "saved")
        const cancelled = spyOn(sheet, "cancelled")
        keyClick(Qt.Key_A)
        const popup = sheet.dateField.calendarPopup
        mouseClick(sheet.dateField)
        tryCompare(popup, "opened", true)
        keyClick(Qt.Key_Escape)
        tryCompare(popup, "visible", false)
        mouseClick(sheet.dateField)
        tryCompare(popup, "opened", true)
        keyClick(Qt.Key_Return)
        tryCompare(popup, "visible", false)
        verify(sheet.visible)
        compare(saved.count, 0)
        compare(cancelled.count, 0)
    }
}
