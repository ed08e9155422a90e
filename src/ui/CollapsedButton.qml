import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Templates as T

// The idle widget when the user keeps it on screen: a small balloon that
// starts a recording.
T.Button {
    id: button
    property string hotKeyLabel: ""
    readonly property string help: "Gravar recado (" + hotKeyLabel + ")"

    implicitWidth: 60
    implicitHeight: 60
    focusPolicy: Qt.NoFocus
    Accessible.name: "Gravar recado"
    ToolTip.text: help
    ToolTip.visible: hovered
    ToolTip.delay: 500
    opacity: pressed ? 0.8 : 1

    background: Item {
        Balloon {
            x: 4; y: 4
            width: parent.width; height: parent.height
            radius: 30; tip: 8
            fillColor: Brand.ink
        }
        Balloon {
            anchors.fill: parent
            radius: 30; tip: 8
            fillColor: Qt.tint(Brand.cream, Qt.rgba(Brand.cream.r, Brand.cream.g, Brand.cream.b, 0.55))
            strokeColor: Brand.ink
            strokeWidth: 2
        }
    }
    contentItem: Item {
        Row {
            anchors.centerIn: parent
            spacing: 3
            Repeater {
                model: [10, 20, 26, 18, 10]
                delegate: Rectangle {
                    required property int index
                    required property int modelData
                    anchors.verticalCenter: parent.verticalCenter
                    width: 4
                    height: modelData
                    radius: 2
                    color: index === 2 ? Brand.primary : Brand.ink
                    border.width: index === 2 ? 1.5 : 0
                    border.color: Brand.ink
                }
            }
        }
    }
}
