import QtQuick
import Quaro.Ui

// The logo: "quaro" in the display face followed by a small balloon.
Row {
    id: mark
    property real size: 28
    property color dot: Brand.primary
    spacing: 0.05 * size

    Accessible.role: Accessible.StaticText
    Accessible.name: "Quaro"

    Text {
        textFormat: Text.PlainText
        text: "quaro"
        color: Brand.ink
        font.family: Brand.displayFamily
        font.weight: Brand.displayFamily ? Font.ExtraBold : Font.Black
        font.pixelSize: Math.round(mark.size)
        font.letterSpacing: -0.05 * mark.size
    }
    Item {
        width: 0.34 * mark.size
        height: 0.42 * mark.size
        Balloon {
            y: 0.08 * mark.size
            width: 0.34 * mark.size
            height: 0.34 * mark.size
            radius: 0.18 * mark.size
            tip: 0.05 * mark.size
            fillColor: mark.dot
            strokeColor: Brand.ink
            strokeWidth: Math.max(0.06 * mark.size, 1.5)
        }
    }
}
