import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Layouts

// The widget while recording or paused: the wave (stop, or continue when
// paused), the elapsed time, the destino, the microphone chip or "Enviar",
// pause and discard.
Item {
    id: pill
    required property AppState app
    required property MicrophoneChoice microphone
    signal toggleMics()

    readonly property CaptureFlow capture: app.capture
    readonly property bool paused: capture.phase === "paused"
    readonly property string hotKeyLabel: app.hotKey.label

    implicitWidth: row.implicitWidth + 8 + 12
    implicitHeight: 72

    InkSurface {
        fill: Qt.rgba(Brand.cream.r, Brand.cream.g, Brand.cream.b, 0.55)
        glass: true
        shadow: 5
        lineWidth: 2
    }

    RowLayout {
        id: row
        x: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        WaveButton {
            objectName: "waveButton"
            size: 56
            level: pill.capture.level
            active: !pill.paused
            help: pill.paused ? "Continuar gravando" : "Parar e enviar (" + pill.hotKeyLabel + ")"
            onClicked: pill.paused ? pill.capture.togglePause() : pill.capture.stopAndSend()
        }
        ColumnLayout {
            Layout.minimumWidth: 120
            spacing: 0
            DisplayText {
                objectName: "elapsed"
                text: Brand.formatDuration(pill.capture.elapsed)
                size: 24
                color: pill.paused ? Brand.inkSoft : Brand.ink
            }
            Text {
                textFormat: Text.PlainText
                objectName: "status"
                text: pill.paused ? "Pausado · toque para seguir"
                                  : "Ouvindo · " + (pill.app.inbox.selectedDestinoName || "Caixa")
                color: Brand.ink
                font.pixelSize: 12
                font.weight: Font.Medium
                elide: Text.ElideRight
                Layout.maximumWidth: 170
            }
        }
        InkButtonStyle {
            objectName: "sendButton"
            visible: pill.paused
            text: "Enviar"
            onClicked: pill.capture.stopAndSend()
        }
        MicChip {
            objectName: "micChip"
            visible: !pill.paused
            name: pill.microphone.shortName
            onClicked: pill.toggleMics()
        }
        CircleIconButton {
            objectName: "pauseButton"
            systemName: pill.paused ? "play.fill" : "pause.fill"
            help: pill.paused ? "Continuar" : "Pausar"
            onClicked: pill.capture.togglePause()
        }
        CircleIconButton {
            objectName: "discardButton"
            systemName: "xmark"
            help: "Descartar"
            onClicked: pill.capture.discard()
        }
    }
}
