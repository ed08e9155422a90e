import QtQuick
import Quaro.Ui
import QtQuick.Layouts

// Shown when the microphone may not be used: where to allow it, and a close
// button.
Item {
    id: pill
    signal openSettings()
    signal close()

    implicitWidth: row.implicitWidth + 8 + 12
    implicitHeight: 72

    InkSurface {
        fill: Qt.rgba(Brand.accent.r, Brand.accent.g, Brand.accent.b, 0.55)
        glass: true
        shadow: 5
        lineWidth: 2
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
                name: "mic.slash.fill"
                size: 22
                weight: 2.6
            }
        }
        ColumnLayout {
            spacing: 1
            DisplayText {
                text: "o Quaro não ouve você"
                size: 19
            }
            Text {
                textFormat: Text.PlainText
                text: "Falta liberar o microfone"
                color: Brand.ink
                font.pixelSize: 12
                font.weight: Font.Medium
            }
        }
        InkButtonStyle {
            text: "Abrir Ajustes"
            fill: Brand.cream
            onClicked: pill.openSettings()
        }
        CircleIconButton {
            systemName: "xmark"
            help: "Fechar"
            onClicked: pill.close()
        }
    }
}
