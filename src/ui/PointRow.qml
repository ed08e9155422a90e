import QtQuick
import Quaro.Ui

// One point of a short list: its symbol on a disc in a brand colour (or a
// small balloon when it has none), then the text.
Row {
    id: row
    property alias text: line.text
    property string symbol: ""
    property color tint: Brand.primary
    width: parent ? parent.width : implicitWidth
    spacing: 12

    DestinoDot {
        visible: row.symbol === ""
        size: 18
        color: row.tint
        anchors.top: parent.top
        anchors.topMargin: 1
    }
    Rectangle {
        objectName: "pointSymbol"
        visible: row.symbol !== ""
        width: 30
        height: 30
        radius: 15
        color: Qt.rgba(row.tint.r, row.tint.g, row.tint.b, 0.4)
        SymbolIcon {
            anchors.centerIn: parent
            name: row.symbol
            size: 18
            weight: 1.8
        }
    }
    Text {
        id: line
        width: parent.width - (row.symbol === "" ? 30 : 42)
        // One line of text sits level with the disc.
        topPadding: row.symbol === "" ? 0 : 6
        color: Brand.ink
        font.pixelSize: Brand.body
        wrapMode: Text.WordWrap
    }
}
