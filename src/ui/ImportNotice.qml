import QtQuick
import QtQuick.Controls
import Quaro.Ui

// The application's short notice (how an import went), in a capsule with a
// close button. The window clears it a while after it was last said.
Item {
    id: notice
    required property CaptureFlow capture
    readonly property string text: capture.notice

    objectName: "importNotice"
    visible: text !== ""
    implicitWidth: Math.min(row.implicitWidth + 24, 640)
    implicitHeight: 44
    width: implicitWidth
    height: implicitHeight

    InkSurface {
        fill: Brand.butter
        shadow: 3
    }
    Row {
        id: row
        anchors.verticalCenter: parent.verticalCenter
        x: 16
        spacing: 10
        Text {
            textFormat: Text.PlainText
            objectName: "noticeText"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, 560)
            elide: Text.ElideRight
            text: notice.text
            color: Brand.ink
            font.pixelSize: Brand.callout
            font.weight: Font.Medium
        }
        ToolButton {
            objectName: "noticeClose"
            anchors.verticalCenter: parent.verticalCenter
            implicitWidth: 26
            implicitHeight: 26
            Accessible.name: "Fechar aviso"
            onClicked: notice.capture.clearNotice()
            contentItem: SymbolIcon { name: "xmark"; size: 14; color: Brand.inkSoft }
            background: Item {}
        }
    }
}
