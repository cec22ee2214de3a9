import QtQuick
import QtTest
import Dayloom.Ui

TestCase {
    id: testCase
    name: "SegmentedControl"
    width: 400
    height: 120
    visible: true
    when: windowShown

    property int backendIndex: 1

    Component {
        id: controlComponent
        SegmentedControl {
            width: 304
            model: ["Week", "Month", "Year"]
            currentIndex: testCase.backendIndex
            onActivated: (index) => testCase.backendIndex = index
        }
    }

    Component {
        id: spyComponent
        SignalSpy {
            signalName: "activated"
        }
    }

    function init() {
        backendIndex = 1
    }

    function segments(control) {
        const found = []
        for (let i = 0; i < control.contentItem.children.length; ++i) {
            const child = control.contentItem.children[i]
            if (child.text !== undefined)
                found.push(child)
        }
        return found
    }

    function test_segmentsShareTheWidth() {
        const control = createTemporaryObject(controlComponent, testCase)
        const parts = segments(control)
        compare(parts.length, 3)
        for (const part of parts)
            compare(part.width, 100)
        compare(parts.map((part) => part.text), ["Week", "Month", "Year"])
        verify(parts[1].selected)
    }

    function test_clickSelectsAndAnnouncesOnce() {
        const control = createTemporaryObject(controlComponent, testCase)
        const spy = createTemporaryObject(spyComponent, testCase, { target: control })
        const year = segments(control)[2]
        mouseClick(year)
        compare(control.currentIndex, 2)
        compare(spy.count, 1)
        compare(spy.signalArguments[0][0], 2)
        verify(year.selected)
        verify(!segments(control)[1].selected)
        mouseClick(year)
        compare(spy.count, 1)
    }

    function test_bindingFollowsTheOwnerAfterAClick() {
        const control = createTemporaryObject(controlComponent, testCase)
        mouseClick(segments(control)[0])
        compare(backendIndex, 0)
        backendIndex = 2
        compare(control.currentIndex, 2)
    }

    function test_arrowKeysMoveTheSelectionWithinBounds() {
        const control = createTemporaryObject(controlComponent, testCase)
        const spy = createTemporaryObject(spyComponent, testCase, { target: control })
        control.forceActiveFocus()
        keyClick(Qt.Key_Right)
        compare(control.currentIndex, 2)
        keyClick(Qt.Key_Right)
        compare(control.currentIndex, 2)
        keyClick(Qt.Key_Left)
        keyClick(Qt.Key_Left)
        keyClick(Qt.Key_Left)
        compare(control.currentIndex, 0)
        compare(spy.count, 3)
    }
}
