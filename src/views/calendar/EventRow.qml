import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dayloom.Ui

// One event of the day list: colour dot, title, time, details, notes, link and status icons.
Rectangle {
    id: row

    property string title
    property color colour
    property string timeText
    property string detailText
    property string notes
    // The attachment's address when it is a valid URL, else empty.
    property string linkUrl
    property string linkName
    property bool isRepeating
    property bool isSynced

    implicitHeight: content.implicitHeight + 20
    radius: 10
    color: Qt.rgba(colour.r, colour.g, colour.b, 0.1)

    RowLayout {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 12
        anchors.rightMargin: 12
        anchors.topMargin: 10
        anchors.bottomMargin: 10
        spacing: 12

        Rectangle {
            implicitWidth: 10
            implicitHeight: 10
            radius: 5
            color: row.colour
        }

        ColumnLayout {
            Layout.fillWidth: true
            spacing: 2

            Text {
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: row.title
                font: Theme.font(Theme.Body, Font.Medium)
                color: Theme.primary
            }
            Text {
                Layout.fillWidth: true
                elide: Text.ElideRight
                text: row.timeText
                font: Theme.caption
                color: Theme.secondary
            }
            Text {
                Layout.fillWidth: true
                visible: row.detailText !== ""
                elide: Text.ElideRight
                text: row.detailText
                font: Theme.caption
                color: Theme.secondary
            }
            Text {
                Layout.fillWidth: true
                visible: row.notes !== ""
                wrapMode: Text.Wrap
                text: row.notes
                font: Theme.caption2
                color: Theme.tertiary
            }
            AbstractButton {
                id: link
                objectName: "linkLine"
                visible: row.linkUrl !== ""
                text: row.linkName !== "" ? row.linkName : row.linkUrl
                Accessible.name: text
                onClicked: Qt.openUrlExternally(row.linkUrl)

                contentItem: Row {
                    spacing: 4

                    SymbolIcon {
                        anchors.verticalCenter: parent.verticalCenter
                        name: "paperclip"
                        size: 11
                        color: Theme.accent
                    }
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: link.text
                        font: Theme.caption2
                        color: Theme.accent
                    }
                }
            }
        }

        SymbolIcon {
            visible: row.isRepeating
            name: "repeat"
            size: 12
            color: Theme.secondary
        }
        SymbolIcon {
            visible: row.isSynced
            name: "checkmark.icloud"
            size: 12
            color: Theme.secondary
        }
    }
}
