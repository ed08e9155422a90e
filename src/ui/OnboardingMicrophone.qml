import QtQuick
import Quaro.Ui

// Step 1: microphone access, read once when the step is created.
OnboardingStep {
    id: step
    required property AppState app
    required property MicrophoneChoice microphone
    property DesktopBridge desktop: null
    // "authorised", "undetermined" or "denied".
    property string micStatus: app.capture.microphonePermission()

    title: "Libere o microfone"
    text: "O Quaro só ouve enquanto você grava. Nada fica ligado no fundo."

    Connections {
        target: step.app.capture
        function onMicrophonePermissionAnswered(permission) { step.micStatus = permission }
    }

    Item {
        width: parent.width
        height: card.implicitHeight + 28
        InkSurface {
            radius: 16
            glass: true
            fill: Qt.rgba(1, 1, 1, 0.6)
            shadow: 3
            lineWidth: 1.5
        }
        Column {
            id: card
            objectName: "micCard"
            x: 16
            y: 14
            width: parent.width - 32
            spacing: 10

            StatusMark {
                visible: step.micStatus === "authorised"
                text: "Microfone liberado"
            }
            Text {
                textFormat: Text.PlainText
                objectName: "micName"
                visible: step.micStatus === "authorised"
                text: "Microfone: " + (step.microphone.name !== "" ? step.microphone.name : "padrão do sistema")
                color: Brand.inkSoft
                font.pixelSize: Brand.callout
            }
            SymbolIcon {
                visible: step.micStatus === "undetermined"
                name: "mic.circle"
                size: 26
                weight: 1.8
            }
            Text {
                textFormat: Text.PlainText
                visible: step.micStatus !== "authorised"
                width: parent.width
                text: step.micStatus === "undetermined" ? "O sistema vai perguntar uma vez"
                                                        : "O microfone está bloqueado para o Quaro"
                color: Brand.ink
                font.pixelSize: Brand.headline
                font.weight: Font.DemiBold
                wrapMode: Text.WordWrap
            }
            InkButtonStyle {
                objectName: "allowMicrophone"
                visible: step.micStatus === "undetermined"
                text: "Liberar"
                onClicked: step.app.capture.requestMicrophonePermission()
            }
            InkButtonStyle {
                objectName: "openMicrophoneSettings"
                visible: step.micStatus === "denied"
                fill: Brand.cream
                text: "Abrir Ajustes do Sistema"
                onClicked: if (step.desktop) step.desktop.openMicrophoneSettings()
            }
        }
    }
    Text {
        textFormat: Text.PlainText
        width: parent.width
        text: "Na primeira transcrição, o Quaro pode baixar o modelo de fala do seu idioma. Leva um minuto."
        color: Brand.inkSoft
        font.pixelSize: Brand.caption
        wrapMode: Text.WordWrap
    }
}
