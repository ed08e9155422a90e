import QtQuick
import Quaro.Ui
import QtQuick.Layouts

// A settings row: a title, an optional detail line under it, and the
// control (its children) on the right.
RowLayout {
    id: row
    property string title: ""
    property string detail: ""
    default property alias control: trailing.data
    width: parent ? parent.width : implicitWidth
    spacing: 12

    Column {
        Layout.fillWidth: true
        Layout.alignment: Qt.AlignVCenter
        spacing: 2
        Text {
            width: parent.width
            text: row.title
            color: Brand.ink
            font.pixelSize: Brand.headline
            font.weight: Font.DemiBold
            wrapMode: Text.WordWrap
        }
        Text {
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
        Layout.alignment: Qt.AlignVCenter | Qt.AlignRight
        spacing: 8
    }
}
