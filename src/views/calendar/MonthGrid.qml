import QtQuick
import Dayloom.Ui
import Dayloom.Calendar

// The weeks of the selected month under a row of weekday names. It fills the height it is given
// and does not scroll; each cell shows as many chip lines as fit, up to `maxItems`.
Item {
    id: grid

    required property CalendarScreen screen
    property int maxItems: 3
    readonly property alias cells: cellModel
    readonly property real cellWidth: width / 7
    readonly property real cellHeight: Math.max(0, (width > 0 ? height - header.height : 0) - (cellModel.rows - 1) * 2)
                                       / Math.max(1, cellModel.rows)

    FontMetrics { id: chipFont; font: Theme.systemFont(10) }
    FontMetrics { id: moreFont; font: Theme.systemFont(9) }

    MonthGridModel {
        id: cellModel
        store: grid.screen.store
        selectedDate: grid.screen.selectedDate
        maxItems: grid.maxItems
        chipHeight: Math.ceil(chipFont.height) + 2
        moreLineHeight: Math.ceil(moreFont.height)
        chipSpacing: 2
        cellHeight: grid.cellHeight
    }

    Row {
        id: header
        width: parent.width
        topPadding: 6
        bottomPadding: 6

        Repeater {
            model: cellModel.weekdaySymbols
            delegate: Text {
                required property string modelData
                width: grid.cellWidth
                horizontalAlignment: Text.AlignHCenter
                text: modelData
                font: Theme.systemFont(12, Font.Medium)
                color: Theme.secondary
            }
        }
    }

    Grid {
        anchors.top: header.bottom
        columns: 7
        rowSpacing: 2

        Repeater {
            model: cellModel
            delegate: DayCell {
                width: grid.cellWidth
                height: grid.cellHeight
                labelHeight: cellModel.labelHeight
                onTapped: grid.screen.select(date)
                onDoubleTapped: grid.screen.openDay(date)
                onEventTapped: (eventId) => grid.screen.edit(eventId)
            }
        }
    }
}
