import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui
import Dayloom.Calendar

// The title of the shown period with the previous, "Today" and next buttons.
Item {
    id: bar

    required property CalendarScreen screen

    implicitHeight: row.implicitHeight + 8

    RowLayout {
        id: row
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.leftMargin: 16
        anchors.rightMargin: 16

        Text {
            objectName: "navigationTitle"
            Layout.fillWidth: true
            elide: Text.ElideRight
            textFormat: Text.StyledText
            font: Theme.systemFont(32, Font.Bold)
            color: Theme.primary
            // The year follows the month name in regular weight.
            text: bar.screen.title + (bar.screen.titleYear === ""
                                      ? "" : "<span style=\"font-weight:400\">" + bar.screen.titleYear + "</span>")
        }

        Rectangle {
            implicitWidth: buttons.implicitWidth
            implicitHeight: buttons.implicitHeight
            radius: height / 2
            color: Qt.rgba(Theme.primary.r, Theme.primary.g, Theme.primary.b, 0.08)

            Row {
                id: buttons
                spacing: 4

                IconButton {
                    objectName: "previousButton"
                    symbol: "chevron.left"
                    symbolSize: 16
                    tapSize: 32
                    Accessible.name: "Previous"
                    onClicked: bar.screen.step(-1)
                }
                AbstractButton {
                    id: todayButton
                    objectName: "todayButton"
                    text: "Today"
                    leftPadding: 10
                    rightPadding: 10
                    implicitWidth: Math.max(32, implicitContentWidth + leftPadding + rightPadding)
                    implicitHeight: 32
                    onClicked: bar.screen.goToToday()
                    contentItem: Text {
                        text: todayButton.text
                        font: Theme.font(Theme.Subheadline, Font.Medium)
                        color: Theme.accent
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                }
                IconButton {
                    objectName: "nextButton"
                    symbol: "chevron.right"
                    symbolSize: 16
                    tapSize: 32
                    Accessible.name: "Next"
                    onClicked: bar.screen.step(1)
                }
            }
        }
    }
}
