import QtQuick
import Quaro.Ui

// A short warning line in the brand's error pink.
Text {
    textFormat: Text.PlainText
    width: parent ? parent.width : implicitWidth
    color: Qt.darker(Brand.accent, 1.6)
    font.pixelSize: Brand.caption
    font.weight: Font.DemiBold
    wrapMode: Text.WordWrap
}
