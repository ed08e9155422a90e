import QtQuick
import Quaro.Ui

// Conexões: Claude Desktop, Claude Code, other MCP clients, cloud mode and
// automatic mode.
SettingsPage {
    id: page
    required property AppState app
    property DesktopBridge desktop: null
    readonly property ClaudeConnector connector: app.connector
    // View state: what the last "Conectar" said.
    property string connectMessage: ""

    title: "Ligue o Quaro à sua IA"
    subtitle: "No computador, tudo local por MCP. Na web, no celular e no ChatGPT, pelo modo nuvem (só o texto sobe)."

    readonly property var desktopDetails: ({
        notInstalled: "Não encontrei o Claude Desktop neste computador",
        notConnected: "Adiciona o Quaro ao arquivo de configuração do Claude",
        connected: "Reinicie o Claude Desktop se ele estava aberto",
        connectedElsewhere: "Aponta para outra cópia do Quaro. Conecte de novo."
    })

    Component.onCompleted: connector.refresh()

    WarningText {
        objectName: "helperMissing"
        visible: !page.connector.helperExists
        text: "O servidor MCP não está dentro do app. Gere o app com scripts/build.sh."
    }

    GlassCard {
        width: parent.width
        SettingRow {
            objectName: "desktopRow"
            title: "Claude Desktop"
            detail: page.desktopDetails[page.connector.desktopStatus] ?? ""
            StatusMark {
                visible: page.connector.desktopStatus === "connected"
                text: "Conectado"
            }
            InkButtonStyle {
                objectName: "connectDesktop"
                visible: page.connector.desktopStatus !== "connected"
                enabled: page.connector.desktopStatus !== "notInstalled" && page.connector.helperExists
                text: "Conectar"
                onClicked: {
                    page.connector.connectDesktop()
                    page.connectMessage = page.connector.desktopMessage
                }
            }
        }
        Text {
            textFormat: Text.PlainText
            objectName: "connectMessage"
            visible: page.connectMessage !== ""
            width: parent.width
            text: page.connectMessage
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
            wrapMode: Text.WordWrap
        }
        SettingRow {
            title: "Claude Code"
            detail: "Rode uma vez no Terminal"
            CopyButton {
                objectName: "copyCommand"
                label: "Copiar comando"
                copyText: page.connector.claudeCodeCommand
                desktop: page.desktop
            }
        }
        CodeLine { text: page.connector.claudeCodeCommand }
        SettingRow {
            title: "Cursor e outros clientes MCP"
            detail: "Use este caminho como comando de um servidor stdio:"
        }
        CodeLine { text: page.connector.serverPath }
    }

    CloudCard {
        width: parent.width
        cloud: page.app.cloud
        desktop: page.desktop
    }

    AutoModeCard {
        width: parent.width
        autoMode: page.app.autoMode
        desktop: page.desktop
    }
}
