import QtQuick
import Quaro.Ui
import QtQuick.Controls

// Cloud mode: switching it on, its state, the personal link (masked until
// asked), how to use it, and switching it off (delete or only pause).
GlassCard {
    id: card
    required property CloudLink cloud
    property DesktopBridge desktop: null
    // View state.
    property bool showLink: false
    property bool confirming: false

    readonly property string status: cloud.syncing ? "Sincronizando…"
        : cloud.lastError !== "" ? "Sem conexão"
        : !isNaN(cloud.lastSync.getTime()) ? "Ligado · " + Qt.formatTime(cloud.lastSync, Locale.ShortFormat)
        : "Ligado"

    SettingRow {
        title: "Modo nuvem: Claude na web e no celular, e ChatGPT"
        detail: "Um link pessoal leva a caixa a qualquer IA. Só o texto sobe; o áudio fica no computador."
        InkButtonStyle {
            objectName: "cloudEnable"
            visible: !card.cloud.enabled
            text: "Ligar"
            onClicked: card.cloud.enable()
        }
    }

    // The server: the user's own quaro-nuvem (or a hosted one), checked
    // before anything is sent to it.
    Column {
        width: parent.width
        spacing: 6
        Text {
            textFormat: Text.PlainText
            text: "Servidor"
            color: Brand.ink
            font.pixelSize: Brand.label
            font.bold: true
        }
        Row {
            width: parent.width
            spacing: 8
            TextField {
                id: serverField
                objectName: "cloudServer"
                width: parent.width - useServer.width - parent.spacing
                text: card.cloud.server
                enabled: !card.cloud.serverFixed && !card.cloud.checkingServer
                placeholderText: "https://nuvem.exemplo.com.br"
                inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase
                font.pixelSize: Brand.body
                Accessible.name: "Servidor"
                onAccepted: card.cloud.setServer(text)
            }
            InkButtonStyle {
                id: useServer
                objectName: "cloudUseServer"
                fill: Brand.cream
                text: card.cloud.checkingServer ? "Verificando…" : "Usar"
                enabled: serverField.enabled && serverField.text.trim() !== card.cloud.server
                onClicked: card.cloud.setServer(serverField.text)
            }
        }
        Text {
            textFormat: Text.PlainText
            objectName: "cloudServerHelp"
            width: parent.width
            text: card.cloud.serverFixed ? "Definido pela variável de ambiente QUARO_CLOUD_URL."
                : "Para ter o seu, rode o quaro-nuvem num servidor com https (veja o README do Quaro) e cole o endereço aqui. Trocar de servidor cria um link novo e apaga a cópia do antigo."
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
            wrapMode: Text.WordWrap
        }
        Text {
            textFormat: Text.PlainText
            objectName: "cloudError"
            visible: card.cloud.lastError !== ""
            width: parent.width
            text: card.cloud.lastError
            color: Brand.accent
            font.pixelSize: Brand.caption
            wrapMode: Text.WordWrap
        }
    }

    Column {
        visible: card.cloud.enabled
        width: parent.width
        spacing: 10

        Text {
            textFormat: Text.PlainText
            objectName: "cloudStatus"
            text: card.status
            color: Brand.ink
            font.pixelSize: Brand.callout
            font.weight: Font.DemiBold
        }
        CodeLine {
            objectName: "cloudLink"
            text: card.showLink ? card.cloud.mcpLink : card.cloud.maskedLink
        }
        Flow {
            width: parent.width
            spacing: 8
            InkButtonStyle {
                objectName: "cloudShowLink"
                fill: Brand.cream
                text: card.showLink ? "Esconder" : "Mostrar"
                onClicked: card.showLink = !card.showLink
            }
            CopyButton {
                objectName: "cloudCopyLink"
                label: "Copiar link"
                copyText: card.cloud.mcpLink
                desktop: card.desktop
            }
        }
        WarningText {
            text: "Quem tiver o link lê e resolve seus recados. Não compartilhe. Se vazar, troque o link."
        }
        Repeater {
            model: ["Claude (web, celular e Desktop): Configurações › Conectores › Adicionar conector personalizado › cole o link.",
                    "ChatGPT (web): Configurações › Apps e conectores › Avançado › Modo desenvolvedor. Depois, Criar › cole o link › Sem autenticação.",
                    "Em qualquer conversa: \"o que tem no Quaro?\""]
            delegate: Text {
                textFormat: Text.PlainText
                required property string modelData
                width: parent.width
                text: modelData
                color: Brand.inkSoft
                font.pixelSize: Brand.caption
                wrapMode: Text.WordWrap
            }
        }
        Flow {
            width: parent.width
            spacing: 8
            InkButtonStyle {
                objectName: "cloudSyncNow"
                fill: Brand.cream
                text: "Sincronizar agora"
                enabled: !card.cloud.syncing
                onClicked: card.cloud.syncNow()
            }
            InkButtonStyle {
                objectName: "cloudRotate"
                fill: Brand.cream
                text: "Trocar link"
                onClicked: card.cloud.rotateLink()
            }
            InkButtonStyle {
                objectName: "cloudDisable"
                fill: Brand.cream
                text: "Desligar"
                onClicked: card.confirming = true
            }
        }
    }

    // The switch-off confirmation, in place of a system alert.
    Column {
        objectName: "cloudConfirm"
        visible: card.confirming && card.cloud.enabled
        width: parent.width
        spacing: 8
        Text {
            textFormat: Text.PlainText
            text: "Desligar o modo nuvem?"
            color: Brand.ink
            font.pixelSize: Brand.headline
            font.weight: Font.DemiBold
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: "Apagar remove da nuvem o texto de todos os recados. No computador, nada muda."
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
            wrapMode: Text.WordWrap
        }
        Flow {
            width: parent.width
            spacing: 8
            InkButtonStyle {
                objectName: "cloudDisableDelete"
                fill: Brand.accent
                text: "Desligar e apagar da nuvem"
                onClicked: {
                    card.confirming = false
                    card.showLink = false
                    card.cloud.disableAndErase()
                }
            }
            InkButtonStyle {
                objectName: "cloudPause"
                fill: Brand.cream
                text: "Só pausar (o link continua)"
                onClicked: {
                    card.confirming = false
                    card.cloud.pause()
                }
            }
            LinkButton {
                text: "Cancelar"
                onClicked: card.confirming = false
            }
        }
    }
}
