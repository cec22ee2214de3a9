import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// A menu picker for a form row: shows the chosen text on a grey button and opens the choices.
//   PickerField { model: editor.categoryOptions; currentIndex: editor.categoryIndex
//                 onActivated: (index) => editor.categoryIndex = index }
ComboBox {
    id: control

    implicitWidth: 190
    implicitHeight: 34
    font: Theme.body
    leftPadding: 10
    rightPadding: 10 + indicator.width

    background: Rectangle {
        radius: 8
        color: control.down ? Theme.gray4 : Theme.gray5
        border.width: control.visualFocus ? 2 : 0
        border.color: Theme.accent
    }

    contentItem: Label {
        text: control.displayText
        font: control.font
        color: Theme.primary
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }

    indicator: SymbolIcon {
        x: control.width - width - 10
        y: (control.height - height) / 2
        // A chevron turned to point down: the choices open below.
        name: "chevron.right"
        rotation: 90
        size: 14
        color: Theme.secondary
    }

    delegate: ItemDelegate {
        id: choice

        required property int index
        required property var modelData

        objectName: "choice" + index
        width: ListView.view ? ListView.view.width : implicitWidth
        text: modelData
        font: control.font
        highlighted: control.highlightedIndex === index

        contentItem: Label {
            text: choice.text
            font: choice.font
            color: choice.index === control.currentIndex ? Theme.accent : Theme.primary
            verticalAlignment: Text.AlignVCenter
            elide: Text.ElideRight
        }
        background: Rectangle {
            radius: 6
            color: choice.highlighted ? Theme.gray5 : Theme.systemBackground
        }
    }

    popup: Popup {
        y: control.height + 4
        width: Math.max(control.width, 200)
        padding: 4
        implicitHeight: contentItem.implicitHeight + 2 * padding

        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: control.delegateModel
            currentIndex: control.highlightedIndex
        }
        background: Rectangle {
            radius: 10
            color: Theme.systemBackground
            border.width: 1
            border.color: Theme.gray4
        }
    }
}
