import QtQuick
import Quaro.Ui
import QtQuick.Controls

// Cloud mode: switching it on, its state, the personal link (masked until
// asked), how to use it, and switching it off (delete or only pause).
GlassCard {
    id: card
    required property var cloud
    property var desktop: null
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
                    card.cloud.disable(true)
                }
            }
            InkButtonStyle {
                objectName: "cloudPause"
                fill: Brand.cream
                text: "Só pausar (o link continua)"
                onClicked: {
                    card.confirming = false
                    card.cloud.disable(false)
                }
            }
            LinkButton {
                text: "Cancelar"
                onClicked: card.confirming = false
            }
        }
    }
}
