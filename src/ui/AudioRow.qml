import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// A recado's audio in the detail: play or pause, a drawn waveform, the
// length. Playback stops when the row goes away or shows another file.
RowLayout {
    id: row
    property string path: ""
    property real duration: 0

    spacing: 12

    function stop() { playback.stop() }

    AudioPlayback { id: playback }
    onPathChanged: playback.stop()
    onVisibleChanged: if (!visible) playback.stop()
    Component.onDestruction: playback.stop()

    CircleIconButton {
        objectName: "playButton"
        implicitWidth: 32
        implicitHeight: 32
        focusPolicy: Qt.StrongFocus
        systemName: playback.isPlaying ? "pause.fill" : "play.fill"
        help: playback.isPlaying ? "Pausar" : "Ouvir"
        onClicked: playback.toggleFile(row.path)
    }
    Item {
        implicitWidth: 40 * 3
        implicitHeight: 32
        Repeater {
            model: 40
            delegate: Rectangle {
                required property int index
                readonly property real barHeight: Math.abs(Math.sin(1.7 * index) * Math.cos(0.6 * index)) * 14 + 5
                x: index * 3
                y: (32 - barHeight) / 2
                width: 2.5
                height: barHeight
                radius: 1.25
                color: playback.isPlaying ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.35)
            }
        }
    }
    Text {
        textFormat: Text.PlainText
        text: Brand.formatDuration(row.duration)
        color: Brand.inkSoft
        font.pixelSize: Brand.callout
    }
    Item { Layout.fillWidth: true }
}
