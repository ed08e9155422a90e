import QtQuick
import Quaro.Ui

// A rounded glass card with an optional section title above it; children
// stack in a column inside.
Column {
    id: card
    property string title: ""
    default property alias content: body.data
    spacing: 6

    Text {
        textFormat: Text.PlainText
        visible: card.title !== ""
        text: card.title.toUpperCase()
        color: Brand.ink
        font.pixelSize: Brand.label
        font.bold: true
        leftPadding: 4
    }
    Item {
        width: card.width
        height: body.implicitHeight + 28
        InkSurface {
            radius: 16
            glass: true
            fill: Qt.rgba(1, 1, 1, 0.55)
            shadow: 3
            lineWidth: 1.5
        }
        Column {
            id: body
            x: 16
            y: 14
            width: parent.width - 32
            spacing: 12
        }
    }
}
