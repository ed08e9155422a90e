import QtQuick
import Quaro.Ui

// A small capsule naming a recado's status: its raw value picks the tone,
// `text` is its label (the list model's statusLabel).
Rectangle {
    id: tag
    property string status: "pendente"
    property string text: ""

    readonly property color tone: Brand.statusTone(status)

    implicitWidth: label.implicitWidth + 14
    implicitHeight: label.implicitHeight + 6
    radius: 6
    color: Qt.rgba(tone.r, tone.g, tone.b, 0.22)

    Text {
        textFormat: Text.PlainText
        id: label
        anchors.centerIn: parent
        text: tag.text
        color: Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.85)
        font.pixelSize: Brand.label
        font.weight: Font.Medium
    }
}
