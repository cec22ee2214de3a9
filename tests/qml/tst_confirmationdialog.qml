import QtQuick
import QtTest
import Dayloom.Ui

TestCase {
    id: testCase
    name: "ConfirmationDialog"
    width: 900
    height: 640
    visible: true
    when: windowShown

    Component {
        id: dialogComponent
        ConfirmationDialog {
            title: "Delete repeating event"
            property alias keep: keepAction
            property alias deleteOne: deleteOneAction
            property alias deleteAll: deleteAllAction

            ConfirmationAction { id: keepAction; text: "Keep a copy" }
            ConfirmationAction { id: deleteOneAction; text: "Delete this event only"; destructive: true }
            ConfirmationAction { id: deleteAllAction; text: "Delete all 7 events"; destructive: true }
        }
    }

    Component {
        id: spyComponent
        SignalSpy {}
    }

    function openDialog() {
        const dialog = createTemporaryObject(dialogComponent, testCase)
        dialog.open()
        tryCompare(dialog, "opened", true)
        return dialog
    }

    function spyOn(target, signalName) {
        return createTemporaryObject(spyComponent, testCase, { target: target, signalName: signalName })
    }

    function button(dialog, index) {
        return findChild(dialog.contentItem, "dialogButton" + index)
    }

    function test_titleAndOrder() {
        const dialog = openDialog()
        const title = findChild(dialog.contentItem, "dialogTitle")
        verify(title.visible)
        compare(title.text, "Delete repeating event")
        const expected = ["Delete this event only", "Delete all 7 events", "Keep a copy", "Cancel"]
        for (let i = 0; i < expected.length; ++i)
            compare(button(dialog, i).text, expected[i])
        compare(String(button(dialog, 0).contentItem.color), String(Theme.red))
        compare(String(button(dialog, 2).contentItem.color), String(Theme.accent))
        // A flag changed later moves the button to its group, in declaration order.
        dialog.keep.destructive = true
        compare(button(dialog, 0).text, "Keep a copy")
        compare(button(dialog, 1).text, "Delete this event only")
        dialog.deleteOne.destructive = false
        compare(button(dialog, 2).text, "Delete this event only")
        compare(button(dialog, 3).text, "Cancel")
    }

    function test_buttonTriggersItsActionOnlyAndCloses() {
        const dialog = openDialog()
        const deleteAll = spyOn(dialog.deleteAll, "triggered")
        const deleteOne = spyOn(dialog.deleteOne, "triggered")
        const cancelled = spyOn(dialog, "cancelled")
        mouseClick(button(dialog, 1))
        compare(deleteAll.count, 1)
        compare(deleteOne.count, 0)
        compare(cancelled.count, 0)
        tryCompare(dialog, "visible", false)
    }

    function test_cancelEscapeAndReturnOnTheFirstFocusCancel() {
        const dialog = openDialog()
        const deleteOne = spyOn(dialog.deleteOne, "triggered")
        const cancelled = spyOn(dialog, "cancelled")
        mouseClick(button(dialog, 3))
        compare(cancelled.count, 1)
        tryCompare(dialog, "visible", false)

        dialog.open()
        tryCompare(dialog, "opened", true)
        keyClick(Qt.Key_Escape)
        compare(cancelled.count, 2)
        tryCompare(dialog, "visible", false)

        // Keyboard focus starts on "Cancel", so Return never deletes by accident.
        dialog.open()
        tryCompare(dialog, "opened", true)
        verify(button(dialog, 3).activeFocus)
        keyClick(Qt.Key_Return)
        compare(cancelled.count, 3)
        compare(deleteOne.count, 0)
    }

    function test_tabReachesEveryButton() {
        const dialog = openDialog()
        const deleteOne = spyOn(dialog.deleteOne, "triggered")
        keyClick(Qt.Key_Tab)
        verify(button(dialog, 0).activeFocus)
        keyClick(Qt.Key_Space)
        compare(deleteOne.count, 1)
    }
}
