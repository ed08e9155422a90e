import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Templates as T

// The capsule naming the microphone in use; opens the microphone card.
T.Button {
    id: chip
    property string name: ""

    implicitWidth: contentItem.implicitWidth + 20
    implicitHeight: 30
    focusPolicy: Qt.NoFocus
    Accessible.name: "Escolher o microfone"
    ToolTip.text: "Escolher o microfone"
    ToolTip.visible: hovered
    ToolTip.delay: 500
    opacity: pressed ? 0.8 : 1

    background: Rectangle {
        radius: height / 2
        color: Qt.rgba(1, 1, 1, chip.hovered ? 0.8 : 0.6)
        border.width: 1.5
        border.color: Brand.ink
    }
    contentItem: Item {
        implicitWidth: children[0].implicitWidth
        RowLayout {
            anchors.centerIn: parent
            spacing: 4
            SymbolIcon { name: "mic.fill"; size: 14 }
            Text {
                textFormat: Text.PlainText
                text: chip.name
                color: Brand.ink
                font.pixelSize: 12
                font.weight: Font.Medium
            }
            SymbolIcon { name: "chevron.down"; size: 12; weight: 2.6 }
        }
    }
}
