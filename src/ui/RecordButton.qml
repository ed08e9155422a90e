import QtQuick
import Quaro.Ui
import QtQuick.Layouts
import QtQuick.Templates as T

// The panel's large record button: "gravar recado" or "parar e enviar",
// with the hot key below.
T.Button {
    id: button
    property bool capturing: false
    property string hotKeyLabel: ""
    readonly property string caption: capturing ? "parar e enviar" : "gravar recado"

    implicitHeight: 76
    focusPolicy: Qt.StrongFocus
    Accessible.name: caption
    opacity: pressed ? 0.8 : 1

    background: Item {
        InkSurface {
            radius: 22
            fill: button.capturing ? Brand.accent : Brand.primary
            shadow: 4
            lineWidth: button.visualFocus ? 3 : 2
        }
    }
    contentItem: RowLayout {
        spacing: 14
        Item { implicitWidth: 4 }
        Rectangle {
            implicitWidth: 46
            implicitHeight: 46
            radius: 23
            color: Brand.cream
            border.width: 2
            border.color: Brand.ink
            SymbolIcon {
                anchors.centerIn: parent
                size: 24
                name: button.capturing ? "stop.fill" : "mic.fill"
            }
        }
        ColumnLayout {
            spacing: 0
            DisplayText {
                text: button.caption
                size: 21
            }
            Text {
                textFormat: Text.PlainText
                text: button.hotKeyLabel
                color: Brand.ink
                opacity: 0.8
                font.pixelSize: Brand.caption
                font.weight: Font.Medium
            }
        }
        Item { Layout.fillWidth: true }
    }
}
