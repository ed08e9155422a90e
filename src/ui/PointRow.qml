import QtQuick
import Quaro.Ui

// One point of a short list: a small balloon in a brand colour, then the
// text.
Row {
    property alias text: line.text
    property color tint: Brand.primary
    width: parent ? parent.width : implicitWidth
    spacing: 12

    DestinoDot {
        size: 18
        color: parent.tint
        anchors.top: parent.top
        anchors.topMargin: 1
    }
    Text {
        id: line
        width: parent.width - 30
        color: Brand.ink
        font.pixelSize: Brand.body
        wrapMode: Text.WordWrap
    }
}
