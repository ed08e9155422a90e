import QtQuick
import Quaro.Ui

// Text in the display face; the heaviest system face when it is missing.
Text {
    textFormat: Text.PlainText
    property int size: Brand.title
    color: Brand.ink
    font.family: Brand.displayFamily
    font.weight: Brand.displayFamily ? Font.ExtraBold : Font.Black
    font.pixelSize: size
}
