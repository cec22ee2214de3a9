import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A line of caption text under the rows of a FormSection: a count, a hint or an explanation.
//   CaptionRow { text: editor.occurrenceText }
//   CaptionRow { text: "Enter a full link …"; color: Theme.red }
Item {
    id: row

    property alias text: label.text
    property alias color: label.color

    width: parent ? parent.width : implicitWidth
    implicitWidth: label.implicitWidth + 2 * Theme.standardPadding
    implicitHeight: label.implicitHeight + 12

    Label {
        id: label
        x: Theme.standardPadding
        y: 2
        width: row.width - 2 * Theme.standardPadding
        font: Theme.caption
        color: Theme.secondary
        wrapMode: Text.Wrap
    }
}
