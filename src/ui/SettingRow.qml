import QtQuick
import Quaro.Ui

// A settings row: a title, an optional detail line under it, and the
// control (its children) on the right. The texts take the width the
// control leaves and wrap in it.
Item {
    id: row
    property string title: ""
    property string detail: ""
    default property alias control: trailing.data
    width: parent ? parent.width : implicitWidth
    implicitWidth: 400
    implicitHeight: Math.max(texts.implicitHeight, trailing.implicitHeight)

    Column {
        id: texts
        anchors.left: parent.left
        anchors.right: trailing.left
        anchors.rightMargin: trailing.width > 0 ? 12 : 0
        anchors.verticalCenter: parent.verticalCenter
        spacing: 2
        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: row.title
            color: Brand.ink
            font.pixelSize: Brand.headline
            font.weight: Font.DemiBold
            wrapMode: Text.WordWrap
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            visible: row.detail !== ""
            text: row.detail
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
            wrapMode: Text.WordWrap
        }
    }
    Row {
        id: trailing
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8
    }
}
