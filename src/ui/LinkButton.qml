import QtQuick
import Quaro.Ui
import QtQuick.Templates as T

// A text-only button, underlined while hovered or focused.
T.Button {
    id: link
    implicitWidth: contentItem.implicitWidth + 8
    implicitHeight: contentItem.implicitHeight + 8
    focusPolicy: Qt.StrongFocus
    Accessible.name: text
    opacity: pressed ? 0.7 : 1

    contentItem: Text {
        textFormat: Text.PlainText
        text: link.text
        color: Brand.ink
        font.pixelSize: 13
        font.weight: Font.DemiBold
        font.underline: link.hovered || link.visualFocus
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
}
