import QtQuick
import QtQuick.Controls
import Dayloom.Ui

// Seven round weekday chips, 8 points apart and centred in the row; the chosen ones are filled
// with the accent colour. Each chip is a Tab stop that Space toggles.
//   WeekdayChips { chips: editor.weekdayChips; selected: editor.repeatWeekdays
//                  onToggled: (weekday) => editor.toggleWeekday(weekday) }
Item {
    id: chipRow

    // { number, symbol } per chip, in the order shown.
    property var chips: []
    // The chosen weekday numbers.
    property var selected: []
    signal toggled(int weekday)

    implicitWidth: row.implicitWidth
    implicitHeight: row.implicitHeight + 4

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 8

        Repeater {
            model: chipRow.chips

            AbstractButton {
                id: chip

                required property var modelData
                readonly property bool chosen: chipRow.selected.indexOf(modelData.number) !== -1

                objectName: "weekdayChip" + modelData.number
                width: 34
                height: 34
                focusPolicy: Qt.StrongFocus
                Accessible.name: modelData.symbol
                Accessible.checkable: true
                Accessible.checked: chosen
                onClicked: chipRow.toggled(modelData.number)

                background: Rectangle {
                    radius: width / 2
                    color: chip.chosen ? Theme.accent : Theme.gray5
                    border.width: chip.visualFocus ? 2 : 0
                    border.color: chip.chosen ? Theme.primary : Theme.accent
                }
                contentItem: Label {
                    text: chip.modelData.symbol
                    font: Theme.font(Theme.Subheadline, Font.DemiBold)
                    color: chip.chosen ? Theme.white : Theme.primary
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }
    }
}
