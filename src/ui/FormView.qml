import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A scrolling form of grouped sections on the grouped background:
//   FormView { FormSection { title: "Event"; FormRow { … } } FormSection { … } }
// The field that receives keyboard focus is scrolled into view.
Rectangle {
    id: form

    default property alias sections: column.data
    property real maximumContentWidth: 680
    readonly property alias flickable: flick

    color: Theme.groupedBackground

    Flickable {
        id: flick
        anchors.fill: parent
        contentWidth: width
        contentHeight: column.height + column.y + 2 * Theme.standardPadding
        boundsBehavior: Flickable.StopAtBounds
        clip: true
        ScrollBar.vertical: ScrollBar {}

        Column {
            id: column
            y: Theme.standardPadding + 4
            width: Math.min(flick.width - 2 * (Theme.standardPadding + 4), form.maximumContentWidth)
            x: (flick.width - width) / 2
            spacing: 24
        }
    }

    FocusScroller {
        flickable: flick
    }
}
