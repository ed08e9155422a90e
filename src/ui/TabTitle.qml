import QtQuick
import Quaro.Ui

// The large title and one-line subtitle at the top of a settings tab.
Column {
    property alias title: heading.text
    property alias subtitle: line.text
    spacing: 4

    DisplayText {
        id: heading
        size: 28
    }
    Text {
        textFormat: Text.PlainText
        id: line
        width: parent.width
        wrapMode: Text.WordWrap
        color: Brand.inkSoft
        font.pixelSize: Brand.callout
    }
}
