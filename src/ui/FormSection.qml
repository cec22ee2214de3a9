import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A titled group of rows on a rounded background, with an optional footer below it:
//   FormSection { title: "Remind me"; footer: "Pick one or more."; FormRow { … } }
Column {
    id: section

    property string title
    property string footer
    default property alias rows: rowColumn.data

    width: parent ? parent.width : implicitWidth
    spacing: 6

    Label {
        width: parent.width
        visible: section.title !== ""
        leftPadding: Theme.standardPadding
        rightPadding: Theme.standardPadding
        text: section.title.toLocaleUpperCase()
        font: Theme.footnote
        color: Theme.secondary
        elide: Text.ElideRight
    }

    Rectangle {
        width: parent.width
        height: rowColumn.height
        radius: Theme.groupCornerRadius
        color: Theme.systemBackground

        Column {
            id: rowColumn
            width: parent.width
        }
    }

    Label {
        width: parent.width
        visible: section.footer !== ""
        leftPadding: Theme.standardPadding
        rightPadding: Theme.standardPadding
        text: section.footer
        font: Theme.footnote
        color: Theme.secondary
        wrapMode: Text.Wrap
    }
}
