import QtQuick
import Dayloom.Ui

// A date field that also chooses the hour and minute.
DateField {
    includesTime: true
}
