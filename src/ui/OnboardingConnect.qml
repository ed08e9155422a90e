import QtQuick
import Quaro.Ui

// Step 3: connect Claude Desktop, copy the Claude Code command, and a word
// on cloud mode. The Claude Desktop state is read again each time the step
// is shown.
OnboardingStep {
    id: step
    required property AppState app
    property DesktopBridge desktop: null
    property bool shown: false
    readonly property ClaudeConnector connector: app.connector
    property string connectMessage: ""

    readonly property var subtitles: ({
        connected: "Pronto. Peça \"o que tem no Quaro?\".",
        notConnected: "Um clique adiciona o Quaro à configuração.",
        connectedElsewhere: "Aponta para outra cópia do Quaro. Conecte de novo.",
        notInstalled: "Não encontrei o Claude Desktop neste computador."
    })
    readonly property string failurePrefix: "Não consegui editar a configuração do Claude: "

    onShownChanged: if (shown) connector.refresh()

    title: "Ligue o Quaro à sua IA"
    text: "No computador, tudo local. Escolha um ou mais."

    SettingRow {
        objectName: "desktopRow"
        title: "Claude Desktop"
        detail: step.subtitles[step.connector.desktopStatus] ?? ""
        StatusMark {
            visible: step.connector.desktopStatus === "connected"
            text: "Conectado"
        }
        InkButtonStyle {
            objectName: "connectDesktop"
            visible: step.connector.desktopStatus !== "connected" && step.connector.desktopStatus !== "notInstalled"
            enabled: step.connector.helperExists
            text: "Conectar"
            onClicked: {
                const done = step.connector.connectDesktop()
                const message = step.connector.desktopMessage
                step.connectMessage = done ? "Feche e abra o Claude Desktop para ele ver o Quaro."
                                           : message.replace(step.failurePrefix, "")
            }
        }
    }
    Text {
        textFormat: Text.PlainText
        objectName: "connectMessage"
        visible: step.connectMessage !== ""
        width: parent.width
        text: step.connectMessage
        color: Brand.inkSoft
        font.pixelSize: Brand.caption
        wrapMode: Text.WordWrap
    }
    SettingRow {
        title: "Claude Code"
        detail: "Rode o comando uma vez no Terminal."
        CopyButton {
            objectName: "copyCommand"
            label: "Copiar comando"
            staysCopied: true
            copyText: step.connector.claudeCodeCommand
            desktop: step.desktop
        }
    }
    SettingRow {
        title: "Claude na web e no celular, ChatGPT"
        detail: "Pelo modo nuvem, em Ajustes › Conexões."
    }
}
