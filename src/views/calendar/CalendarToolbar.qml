import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Calendar

// The calendar screen's top bar: the menu and plus capsule, the "View" mode picker and the avatar.
Item {
    id: toolbar

    required property CalendarScreen screen
    readonly property alias modePicker: picker
    signal menuTapped()
    signal avatarTapped()

    implicitHeight: row.implicitHeight + 16

    RowLayout {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        spacing: 10

        Rectangle {
            implicitWidth: capsule.implicitWidth
            implicitHeight: capsule.implicitHeight
            radius: height / 2
            color: Qt.rgba(Theme.primary.r, Theme.primary.g, Theme.primary.b, 0.08)

            Row {
                id: capsule

                IconButton {
                    objectName: "menuButton"
                    symbol: "line.3.horizontal"
                    tapSize: 36
                    Accessible.name: "Menu"
                    onClicked: toolbar.menuTapped()
                }
                IconButton {
                    objectName: "plusButton"
                    symbol: "plus"
                    tapSize: 36
                    Accessible.name: "New event"
                    onClicked: toolbar.screen.requestNewEvent()
                }
            }
        }

        Item { Layout.fillWidth: true }

        SegmentedControl {
            id: picker
            objectName: "modePicker"
            Layout.preferredWidth: 320
            Accessible.name: "View"
            model: toolbar.screen.modeLabels
            currentIndex: toolbar.screen.mode
            onActivated: (index) => toolbar.screen.mode = index

            HoverHandler { id: hover }
            readonly property int hoveredIndex: Math.floor(hover.point.position.x / Math.max(1, width) * count)
            ToolTip.visible: hover.hovered
            ToolTip.delay: 600
            ToolTip.text: toolbar.screen.modeLabels[Math.max(0, Math.min(count - 1, hoveredIndex))]
                          + " (" + toolbar.screen.modeShortcut(hoveredIndex) + ")"
        }

        Item { Layout.fillWidth: true }

        // The avatar's place: a 28-point picture in a 36-point tap area.
        AbstractButton {
            objectName: "avatarButton"
            implicitWidth: 36
            implicitHeight: 36
            Accessible.name: "Profile"
            onClicked: toolbar.avatarTapped()
            contentItem: Item {
                implicitWidth: 28
                implicitHeight: 28
            }
        }
    }
}
