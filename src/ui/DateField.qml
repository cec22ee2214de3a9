import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// A button showing a date in the user's locale; it opens a month calendar (and, in a
// DateTimeField, the hour and minute) to choose another. Choices never go below `minimum`.
//   DateField { value: editor.repeatUntil; minimum: editor.startTime
//               onEdited: editor.repeatUntil = value }
// In the calendar the arrow keys move the day, Page Up and Page Down the month, Return closes.
Button {
    id: field

    property alias value: picker.value
    property alias minimum: picker.minimum
    property alias includesTime: picker.includesTime
    readonly property alias picker: picker
    readonly property alias calendarPopup: popup
    signal edited()

    text: picker.text
    padding: 6
    leftPadding: 10
    rightPadding: 10
    font: Theme.body
    onClicked: popup.open()

    DatePickerModel {
        id: picker
        onEdited: field.edited()
    }

    contentItem: Row {
        spacing: 12

        Label {
            text: picker.dateText
            font: field.font
            color: popup.visible ? Theme.accent : Theme.primary
        }
        Label {
            visible: picker.includesTime
            text: picker.timeText
            font: field.font
            color: popup.visible ? Theme.accent : Theme.primary
        }
    }

    background: Rectangle {
        implicitHeight: 34
        radius: 8
        color: field.down ? Theme.gray4 : Theme.gray5
        border.width: field.visualFocus ? 2 : 0
        border.color: Theme.accent
    }

    Popup {
        id: popup

        x: field.width - width
        y: field.height + 6
        margins: 8
        padding: 12
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        onAboutToShow: picker.showMonthOfValue()

        background: Rectangle {
            radius: 12
            color: Theme.systemBackground
            border.width: 1
            border.color: Theme.gray4
        }

        contentItem: FocusScope {
            implicitWidth: layout.implicitWidth
            implicitHeight: layout.implicitHeight
            focus: true
            Keys.onLeftPressed: picker.moveSelection(-1)
            Keys.onRightPressed: picker.moveSelection(1)
            Keys.onUpPressed: picker.moveSelection(-7)
            Keys.onDownPressed: picker.moveSelection(7)
            Keys.onReturnPressed: popup.close()
            Keys.onEnterPressed: popup.close()
            Keys.onPressed: (event) => {
                if (event.key === Qt.Key_PageUp)
                    picker.showPreviousMonth()
                else if (event.key === Qt.Key_PageDown)
                    picker.showNextMonth()
                else
                    return
                event.accepted = true
            }

            ColumnLayout {
                id: layout
                anchors.fill: parent
                spacing: 8

                RowLayout {
                    Layout.fillWidth: true

                    Label {
                        Layout.fillWidth: true
                        leftPadding: 6
                        text: picker.monthTitle
                        font: Theme.headline
                        color: Theme.primary
                    }
                    IconButton {
                        objectName: "previousMonth"
                        symbol: "chevron.left"
                        symbolSize: 18
                        enabled: picker.canShowPreviousMonth
                        focusPolicy: Qt.NoFocus
                        onClicked: picker.showPreviousMonth()
                    }
                    IconButton {
                        objectName: "nextMonth"
                        symbol: "chevron.right"
                        symbolSize: 18
                        focusPolicy: Qt.NoFocus
                        onClicked: picker.showNextMonth()
                    }
                }

                Grid {
                    columns: 7

                    Repeater {
                        model: picker.weekdayLabels

                        Label {
                            required property string modelData
                            width: 40
                            height: 24
                            text: modelData
                            font: Theme.font(Theme.Caption2, Font.DemiBold)
                            color: Theme.secondary
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }
                    }

                    Repeater {
                        model: picker.days

                        AbstractButton {
                            id: cell

                            required property int index
                            required property var modelData

                            objectName: "day" + index
                            width: 40
                            height: 36
                            // Days of the neighbouring months keep their place in the grid, unseen.
                            opacity: modelData.inMonth ? 1 : 0
                            enabled: modelData.inMonth && modelData.enabled
                            focusPolicy: Qt.NoFocus
                            text: modelData.day
                            // Choosing rebuilds the cells, this one included: choose last.
                            onClicked: {
                                if (!picker.includesTime)
                                    popup.close()
                                picker.selectDay(index)
                            }

                            background: Rectangle {
                                anchors.centerIn: parent
                                width: 34
                                height: 34
                                radius: 17
                                visible: cell.modelData.selected || cell.hovered
                                color: cell.modelData.selected ? Theme.accent : Theme.gray5
                            }
                            contentItem: Label {
                                text: cell.text
                                font: Theme.font(Theme.Callout, cell.modelData.selected || cell.modelData.today ? Font.DemiBold : -1)
                                horizontalAlignment: Text.AlignHCenter
                                verticalAlignment: Text.AlignVCenter
                                color: cell.modelData.selected ? Theme.white
                                     : !cell.enabled ? Theme.tertiary
                                     : cell.modelData.today ? Theme.accent : Theme.primary
                            }
                        }
                    }
                }

                RowLayout {
                    visible: picker.includesTime
                    Layout.alignment: Qt.AlignHCenter
                    spacing: 6

                    SpinBox {
                        objectName: "hourBox"
                        from: 0
                        to: 23
                        wrap: true
                        value: picker.hour
                        font: Theme.body
                        textFromValue: (hour) => picker.hourText(hour)
                        onValueModified: picker.chooseHour(value)
                    }
                    Label {
                        text: ":"
                        font: Theme.headline
                        color: Theme.primary
                    }
                    SpinBox {
                        objectName: "minuteBox"
                        from: 0
                        to: 59
                        wrap: true
                        editable: true
                        value: picker.minute
                        font: Theme.body
                        textFromValue: (minute) => picker.minuteText(minute)
                        onValueModified: picker.chooseMinute(value)
                    }
                }
            }
        }
    }
}
