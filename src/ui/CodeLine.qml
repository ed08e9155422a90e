import QtQuick
import Quaro.Ui

// A command or path the user copies, in a monospaced box; selectable.
Rectangle {
    property alias text: line.text
    width: parent ? parent.width : implicitWidth
    implicitHeight: line.implicitHeight + 14
    radius: 8
    color: Qt.rgba(1, 1, 1, 0.7)
    border.width: 1
    border.color: Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.2)

    TextEdit {
        id: line
        x: 8
        y: 7
        width: parent.width - 16
        readOnly: true
        selectByMouse: true
        activeFocusOnTab: false
        wrapMode: TextEdit.WrapAnywhere
        color: Brand.ink
        font.family: "monospace"
        font.pixelSize: Brand.caption
    }
}
