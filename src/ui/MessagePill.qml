import QtQuick
import Quaro.Ui
import QtQuick.Layouts

// A short message of the widget (filed, failed): an icon, a title and a
// subtitle on a tinted pill. A tap dismisses it.
Item {
    id: pill
    property string icon: "checkmark"
    property string title: ""
    property string subtitle: ""
    property color tint: Brand.secondary
    signal tapped()

    implicitWidth: row.implicitWidth + 8 + 22
    implicitHeight: 72
    Accessible.role: Accessible.Button
    Accessible.name: title

    InkSurface {
        fill: pill.tint
        glass: true
        shadow: 5
        lineWidth: 2
    }
    TapHandler {
        onTapped: pill.tapped()
    }
    RowLayout {
        id: row
        x: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12
        Rectangle {
            implicitWidth: 56
            implicitHeight: 56
            radius: 28
            color: Brand.cream
            border.width: 2
            border.color: Brand.ink
            SymbolIcon {
                anchors.centerIn: parent
                name: pill.icon
                size: 22
                weight: 3.2
            }
        }
        ColumnLayout {
            spacing: 1
            DisplayText {
                objectName: "messageTitle"
                text: pill.title
                size: 19
                elide: Text.ElideRight
                Layout.maximumWidth: 260
            }
            Text {
                textFormat: Text.PlainText
                objectName: "messageSubtitle"
                text: pill.subtitle
                color: Brand.ink
                font.pixelSize: 12
                font.weight: Font.Medium
                elide: Text.ElideRight
                Layout.maximumWidth: 260
            }
        }
    }
}
