import QtQuick
import QtQuick.Controls
import Dayloom.Ui

ApplicationWindow {
    id: window
    title: "Dayloom"
    width: 1200
    height: 800
    minimumWidth: 900
    minimumHeight: 640
    visible: true
    color: Theme.systemBackground
    palette.highlight: Theme.accent
    palette.button: Theme.accent

    Label {
        anchors.centerIn: parent
        text: "Dayloom"
        color: Theme.accent
        font.pixelSize: Theme.titleSize
        font.weight: Font.DemiBold
    }
}
