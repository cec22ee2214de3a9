import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Editor

// The sheet that creates an event, edits one, or creates a repeating series. It works on its own
// copy of the values and changes the store only on Save or a deletion; every way out closes it.
//
// Inputs (read each time the sheet opens):
//   store        the EventStore to read and change (AppRoot.eventStore)
//   eventId      the id of the stored event to edit; empty for a new event
//   date         for a new event: the day it is opened for (a Date; the time of day is now's)
//   presetStart  for a new event: a start picked in a day timeline (a Date), or undefined
// Opening:
//   EditEventView { id: eventSheet; store: AppRoot.eventStore }
//   eventSheet.openForNewEvent(day)              a new event on `day`
//   eventSheet.openForNewEvent(day, slotStart)   a new event starting at `slotStart`
//   eventSheet.openForEvent(event id)            edit a stored event
// Signals: closed() once the sheet is gone, after Save, a deletion, "Cancel" or Escape.
// `editor` is the EventEditor behind the form.
ModalSheet {
    id: sheet

    property alias store: backend.store
    property alias eventId: backend.eventId
    property alias date: backend.date
    property alias presetStart: backend.presetStart
    readonly property alias editor: backend
    readonly property alias form: form

    function openForNewEvent(day, slotStart) {
        backend.eventId = ""
        backend.date = day
        backend.presetStart = slotStart
        open()
    }

    function openForEvent(id) {
        backend.eventId = id
        open()
    }

    title: backend.navigationTitle
    saveEnabled: backend.canSave
    onAboutToShow: {
        backend.fill()
        form.flickable.contentY = 0
    }
    onOpened: titleField.forceActiveFocus()
    onSaved: backend.save()

    EventEditor {
        id: backend
        onFinished: sheet.close()
        onShowDeleteChoiceChanged: {
            if (backend.showDeleteChoice)
                deleteDialog.open()
        }
    }

    FormView {
        id: form
        anchors.fill: parent

        FormSection {
            title: "Event"

            FormRow {
                FormTextField {
                    id: titleField
                    objectName: "titleField"
                    focus: true
                    placeholderText: "Title"
                    text: backend.title
                    onTextEdited: backend.title = text
                }
            }
            FormRow {
                label: "All-day"
                Switch {
                    objectName: "allDaySwitch"
                    checked: backend.isAllDay
                    onToggled: backend.isAllDay = checked
                }
            }
            FormRow {
                label: "Starts"
                DateField {
                    objectName: "startsField"
                    includesTime: !backend.isAllDay
                    value: backend.startTime
                    onEdited: backend.startTime = value
                }
            }
            FormRow {
                label: "Ends"
                DateField {
                    objectName: "endsField"
                    includesTime: !backend.isAllDay
                    value: backend.endTime
                    minimum: backend.endMinimum
                    onEdited: backend.endTime = value
                }
            }
        }

        FormSection {
            title: "Type"

            FormRow {
                label: "Type"
                PickerField {
                    objectName: "typePicker"
                    model: backend.categoryOptions
                    currentIndex: backend.categoryIndex
                    onActivated: (index) => backend.categoryIndex = index
                }
            }
            FormRow {
                FormTextField {
                    objectName: "locationField"
                    placeholderText: backend.locationLabel
                    text: backend.location
                    onTextEdited: backend.location = text
                }
            }
            FormRow {
                visible: backend.isSchoolCategory
                FormTextField {
                    objectName: "instructorField"
                    placeholderText: "Teacher / instructor"
                    text: backend.instructor
                    onTextEdited: backend.instructor = text
                }
            }
        }

        FormSection {
            objectName: "repeatSection"
            title: "Repeat"
            visible: backend.showsRepeatSection

            FormRow {
                label: "Repeat"
                PickerField {
                    objectName: "repeatPicker"
                    model: backend.repeatRuleLabels
                    currentIndex: backend.repeatRuleIndex
                    onActivated: (index) => backend.repeatRuleIndex = index
                }
            }
            FormRow {
                visible: backend.showsWeekdays
                WeekdayChips {
                    Layout.fillWidth: true
                    chips: backend.weekdayChips
                    selected: backend.repeatWeekdays
                    onToggled: (weekday) => backend.toggleWeekday(weekday)
                }
            }
            FormRow {
                visible: backend.showsRepeatUntil
                label: "Repeat until"
                DateField {
                    objectName: "repeatUntilField"
                    value: backend.repeatUntil
                    minimum: backend.startTime
                    onEdited: backend.repeatUntil = value
                }
            }
            CaptionRow {
                objectName: "occurrenceLine"
                visible: backend.showsRepeatUntil
                text: backend.occurrenceText
            }
        }

        FormSection {
            objectName: "seriesSection"
            title: "Repeating event"
            visible: backend.showsSeriesSection

            FormRow {
                label: "Apply changes to"
                SegmentedControl {
                    objectName: "applyToSeriesControl"
                    Layout.preferredWidth: 280
                    model: backend.applyToSeriesOptions
                    currentIndex: backend.applyToSeries ? 1 : 0
                    onActivated: (index) => backend.applyToSeries = index === 1
                }
            }
            CaptionRow {
                objectName: "seriesNote"
                visible: backend.applyToSeries
                text: "Title, notes, color, room, teacher and time of day change on every event. Dates stay the same."
            }
        }

        FormSection {
            title: "Remind me"
            footer: "Pick one or more. Leave empty to use your default reminder from Settings."

            Repeater {
                model: backend.reminderRows

                FormRow {
                    id: reminderRow

                    required property var modelData
                    readonly property bool chosen: backend.reminders.indexOf(modelData.minutes) !== -1

                    AbstractButton {
                        id: reminderButton
                        objectName: "reminderRow" + reminderRow.modelData.minutes
                        Layout.fillWidth: true
                        Layout.fillHeight: true
                        text: reminderRow.modelData.text
                        Accessible.checkable: true
                        Accessible.checked: reminderRow.chosen
                        onClicked: backend.toggleReminder(reminderRow.modelData.minutes)

                        contentItem: RowLayout {
                            spacing: 12

                            Label {
                                Layout.fillWidth: true
                                text: reminderButton.text
                                font: Theme.body
                                color: Theme.primary
                                elide: Text.ElideRight
                            }
                            SymbolIcon {
                                objectName: "checkmark"
                                visible: reminderRow.chosen
                                name: "checkmark"
                                size: 17
                                color: Theme.accent
                            }
                        }
                        background: Rectangle {
                            radius: 6
                            color: Theme.systemBackground
                            border.width: reminderButton.visualFocus ? 2 : 0
                            border.color: Theme.accent
                        }
                    }
                }
            }
        }

        FormSection {
            title: "Color"

            FormRow {
                ColorSwatchRow {
                    objectName: "colorRow"
                    Layout.fillWidth: true
                    selectedName: backend.colorName
                    onChosen: (name) => backend.colorName = name
                    onStepped: (delta) => backend.stepColor(delta)
                }
            }
        }

        FormSection {
            title: "Notes"

            FormRow {
                TextArea {
                    objectName: "notesField"
                    Layout.fillWidth: true
                    leftPadding: 0
                    rightPadding: 0
                    placeholderText: "Optional"
                    placeholderTextColor: Theme.tertiary
                    font: Theme.body
                    color: Theme.primary
                    wrapMode: TextEdit.Wrap
                    selectByMouse: true
                    background: null
                    text: backend.notes
                    onTextChanged: backend.notes = text
                    // Tab leaves the notes as it leaves every other field.
                    Keys.onTabPressed: (event) => {
                        const forward = !(event.modifiers & Qt.ShiftModifier)
                        nextItemInFocusChain(forward).forceActiveFocus(forward ? Qt.TabFocusReason : Qt.BacktabFocusReason)
                    }
                    Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
                }
            }
        }

        FormSection {
            title: "Attachment"

            FormRow {
                FormTextField {
                    objectName: "linkField"
                    placeholderText: "Link (e.g. a Google Drive URL)"
                    inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase | Qt.ImhNoPredictiveText
                    text: backend.attachmentURL
                    onTextEdited: backend.attachmentURL = text
                }
            }
            FormRow {
                FormTextField {
                    objectName: "labelField"
                    placeholderText: "Label (optional)"
                    text: backend.attachmentName
                    onTextEdited: backend.attachmentName = text
                }
            }
            CaptionRow {
                objectName: "linkHint"
                visible: !backend.isLinkValid
                text: "Enter a full link starting with http:// or https://"
                color: Theme.red
            }
        }

        FormSection {
            objectName: "deleteSection"
            visible: !backend.isNew

            FormRow {
                TextButton {
                    objectName: "deleteButton"
                    Layout.fillWidth: true
                    text: backend.deleteButtonText
                    destructive: true
                    onClicked: backend.requestDelete()
                }
            }
        }
    }

    ConfirmationDialog {
        id: deleteDialog
        objectName: "deleteDialog"
        title: "Delete repeating event"
        onClosed: backend.dismissDeleteChoice()

        ConfirmationAction {
            text: "Delete this event only"
            destructive: true
            onTriggered: backend.deleteThisEventOnly()
        }
        ConfirmationAction {
            text: backend.deleteAllText
            destructive: true
            onTriggered: backend.deleteAllEvents()
        }
    }
}
