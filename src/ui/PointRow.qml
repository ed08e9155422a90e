import QtQuick
import Quaro.Ui

// One point of a short list: its symbol on a disc in a brand colour, then
// the text.
Row {
    id: row
    property alias text: line.text
    required property string symbol
    property color tint: Brand.primary
    width: parent ? parent.width : implicitWidth
    spacing: 12

    Rectangle {
        objectName: "pointSymbol"
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
        textFormat: Text.PlainText
        id: line
        width: parent.width - 42
        // One line of text sits level with the disc.
        topPadding: 6
        color: Brand.ink
        font.pixelSize: Brand.body
        wrapMode: Text.WordWrap
    }
}
