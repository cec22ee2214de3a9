import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// Every shared control on one screen, with one popup open: "date", "sheet" or "dialog".
ApplicationWindow {
    id: window

    property string openPopup: "date"

    width: 900
    height: 640
    visible: true
    color: Theme.systemBackground
    palette.highlight: Theme.accent

    Timer {
        running: true
        interval: 0
        onTriggered: {
            if (window.openPopup === "date")
                startsField.calendarPopup.open()
            else if (window.openPopup === "sheet")
                sheet.open()
            else if (window.openPopup === "dialog")
                dialog.open()
        }
    }

    FormView {
        anchors.fill: parent

        FormSection {
            title: "Event"

            FormRow {
                FormTextField {
                    placeholderText: "Title"
                    text: "Linear algebra"
                }
            }
            FormRow {
                label: "All-day"
                Switch {}
            }
            FormRow {
                label: "Starts"
                DateTimeField {
                    id: startsField
                    value: new Date(2024, 2, 13, 14, 37)
                }
            }
            FormRow {
                label: "Ends"
                DateTimeField {
                    value: new Date(2024, 2, 13, 15, 37)
                    minimum: startsField.value
                }
            }
        }

        FormSection {
            title: "Repeating event"
            footer: "Title, notes, color, room, teacher and time of day change on every event. Dates stay the same."

            FormRow {
                SegmentedControl {
                    Layout.fillWidth: true
                    model: ["This event", "All 7 events"]
                    currentIndex: 1
                }
            }
            FormRow {
                label: "Repeat until"
                DateField {
                    value: new Date(2024, 5, 19, 14, 37)
                    minimum: startsField.value
                }
            }
        }

        FormSection {
            title: "Symbols"

            FormRow {
                Flow {
                    Layout.fillWidth: true
                    spacing: 14

                    Repeater {
                        model: ["line.3.horizontal", "plus", "chevron.left", "chevron.right", "calendar",
                            "calendar.day.timeline.left", "star.circle.fill", "checkmark.square.fill", "square",
                            "repeat", "checkmark.icloud", "icloud.slash", "paperclip", "mappin.and.ellipse",
                            "person", "person.fill", "person.crop.circle", "gearshape",
                            "rectangle.portrait.and.arrow.right", "g.circle.fill", "camera.fill",
                            "checkmark.circle", "checkmark", "photo.badge.plus",
                            "arrow.up.left.and.arrow.down.right", "trash", "trash.circle.fill",
                            "xmark.circle.fill", "arrow.triangle.2.circlepath"]

                        SymbolIcon {
                            required property string modelData
                            name: modelData
                            size: 22
                            color: modelData === "star.circle.fill" ? Theme.purple : Theme.accent
                        }
                    }
                }
            }
        }

        FormSection {
            footer: "Erases your profile, settings, saved events and photos from this device."

            FormRow {
                IconButton {
                    symbol: "line.3.horizontal"
                    tapSize: 40
                }
                TextButton {
                    text: "Sync Now"
                }
                Item {
                    Layout.fillWidth: true
                }
                TextButton {
                    text: "Delete Event"
                    destructive: true
                }
            }
        }
    }

    ModalSheet {
        id: sheet
        title: "New Event"
        saveEnabled: false

        FormView {
            anchors.fill: parent

            FormSection {
                title: "Event"

                FormRow {
                    FormTextField {
                        placeholderText: "Title"
                    }
                }
                FormRow {
                    label: "Starts"
                    DateTimeField {
                        value: new Date(2024, 2, 13, 10, 0)
                    }
                }
            }

            FormSection {
                title: "Remind me"
                footer: "Pick one or more. Leave empty to use your default reminder from Settings."

                FormRow {
                    label: "15 minutes before"
                    SymbolIcon {
                        name: "checkmark"
                        size: 17
                        color: Theme.accent
                    }
                }
                FormRow {
                    label: "1 hour before"
                }
            }
        }
    }

    ConfirmationDialog {
        id: dialog
        title: "Delete repeating event"

        ConfirmationAction {
            text: "Delete this event only"
            destructive: true
        }
        ConfirmationAction {
            text: "Delete all 7 events"
            destructive: true
        }
    }
}
