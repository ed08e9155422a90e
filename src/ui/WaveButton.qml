import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Templates as T

// The round record button with a live wave: bars that follow the level,
// and a ring that pulses outwards while recording.
T.Button {
    id: wave
    property real level: 0
    property bool active: true
    property real size: 56
    property var base: [0.45, 0.75, 1.0, 0.7, 0.45]
    property string help: ""
    property real time: Date.now() / 1000
    readonly property real pulse: active ? (time % 1.4) / 1.4 : 1

    implicitWidth: size
    implicitHeight: size
    focusPolicy: Qt.NoFocus
    Accessible.name: help
    ToolTip.text: help
    ToolTip.visible: hovered && help !== ""
    ToolTip.delay: 500

    Timer {
        interval: 33
        repeat: true
        running: wave.active && wave.visible
        onTriggered: wave.time = Date.now() / 1000
    }

    background: Item {
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: "transparent"
            border.width: 3
            border.color: Brand.primary
            scale: 1 + 0.5 * wave.pulse
            opacity: wave.active ? (1 - wave.pulse) * 0.55 : 0
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: wave.active ? Brand.primary : Brand.secondary
        }
        Item {
            anchors.fill: parent
            anchors.margins: 2
            clip: true
            Item {
                width: parent.width
                height: parent.height / 2
                clip: true
                Rectangle {
                    width: parent.width
                    height: width
                    radius: width / 2
                    color: "transparent"
                    border.width: 1.5
                    border.color: Qt.rgba(1, 1, 1, 0.55)
                }
            }
        }
        Rectangle {
            anchors.fill: parent
            radius: width / 2
            color: "transparent"
            border.width: 2
            border.color: Brand.ink
        }
    }
    contentItem: Item {
        Row {
            anchors.centerIn: parent
            spacing: 3
            Repeater {
                model: wave.base
                delegate: Rectangle {
                    required property int index
                    required property real modelData
                    readonly property real a: wave.active
                        ? (wave.level * 0.7 + 0.3) * (Math.sin(7 * wave.time + 1.3 * index) * 0.45 + 0.55)
                        : 0.12
                    anchors.verticalCenter: parent.verticalCenter
                    width: 4
                    height: Math.max(5, a * wave.size * 0.55 * modelData)
                    radius: 2
                    color: Brand.ink
                }
            }
        }
    }
}
