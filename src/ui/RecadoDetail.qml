import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The selected recado in full: destino and status, title, audio,
// transcript, what the AI did (or what is going on), the buttons its status
// allows and a small timeline.
ScrollView {
    id: detail
    required property var inboxView
    // The recado's values (RecadoListModel.get).
    property var recado: ({})

    readonly property InboxState inbox: inboxView.inbox
    readonly property string status: recado.status || ""
    readonly property string claimedBy: recado.claimedBy || ""
    readonly property bool hasResult: (recado.result || "") !== ""
    readonly property var host: inboxView.host

    contentWidth: availableWidth
    clip: true

    function when(date) {
        return date && !isNaN(date.getTime()) ? date.toLocaleString(Qt.locale("pt_BR"), "d MMM, HH:mm") : ""
    }
    readonly property var hints: ({
        "pendente": { icon: "sparkles", text: "Ainda nenhuma IA pegou. Peça no Claude: \"o que tem no Quaro?\"" },
        "pego": { icon: "hand.raised", text: (claimedBy || "Uma IA") + " pegou este recado e está trabalhando nele." },
        "falhou": { icon: "exclamationmark.triangle",
                    text: "A transcrição falhou. Use o menu do recado para tentar de novo." }
    })

    Connections {
        target: detail.inboxView
        function onHidden() { audioRow.stop() }
    }

    component SectionLabel: Text {
        textFormat: Text.PlainText
        color: Brand.inkSoft
        font.pixelSize: Brand.label
        font.weight: Font.DemiBold
        font.capitalization: Font.AllUppercase
        font.letterSpacing: 0.6
    }
    component Body: TextEdit {
        textFormat: TextEdit.PlainText
        Layout.fillWidth: true
        readOnly: true
        selectByMouse: true
        wrapMode: TextEdit.Wrap
        color: Brand.ink
        font.pixelSize: Brand.body
    }

    ColumnLayout {
        width: detail.availableWidth - 56
        x: 28
        spacing: 16

        Item { implicitHeight: 8 }
        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            DestinoDot {
                size: 12
                color: detail.recado.destinoName ? Brand.color(detail.recado.destinoColor) : Brand.systemGrey
            }
            Text {
                textFormat: Text.PlainText
                objectName: "detailDestino"
                Layout.fillWidth: true
                text: detail.recado.destinoName || "Sem destino"
                elide: Text.ElideRight
                color: Brand.ink
                font.pixelSize: Brand.callout
                font.weight: Font.DemiBold
                ToolTip.text: detail.recado.destinoInstruction || ""
                ToolTip.visible: ToolTip.text !== "" && destinoHover.hovered
                HoverHandler { id: destinoHover }
            }
            StatusTag {
                status: detail.status
                text: detail.recado.statusLabel || ""
            }
        }
        Text {
            textFormat: Text.PlainText
            objectName: "detailTitle"
            Layout.fillWidth: true
            text: detail.recado.title || "Recado"
            wrapMode: Text.Wrap
            color: Brand.ink
            font.family: Brand.displayFamily
            font.weight: Brand.displayFamily ? Font.ExtraBold : Font.Black
            font.pixelSize: Brand.title
        }
        AudioRow {
            id: audioRow
            objectName: "audioRow"
            Layout.fillWidth: true
            path: detail.host && detail.recado.hasAudio && detail.host.fileExists(detail.recado.audioPath)
                  ? detail.recado.audioPath : ""
            visible: path !== ""
            duration: detail.recado.duration || 0
        }

        RowLayout {
            spacing: 8
            SectionLabel { text: "Transcrição" }
            Text { textFormat: Text.PlainText; text: "feita no computador"; color: Brand.inkSoft; font.pixelSize: Brand.caption }
        }
        Body {
            objectName: "detailTranscript"
            text: detail.recado.transcript || ""
        }

        SectionLabel {
            objectName: "resultLabel"
            visible: detail.hasResult
            text: "O que " + (detail.claimedBy || "a IA") + " fez"
        }
        Body {
            objectName: "detailResult"
            visible: detail.hasResult
            text: detail.recado.result || ""
        }
        RowLayout {
            objectName: "statusHint"
            Layout.fillWidth: true
            visible: !detail.hasResult && detail.hints[detail.status] !== undefined
            spacing: 10
            // One icon per hint: a drawn shape is not redrawn when its path
            // changes under the software renderer.
            Repeater {
                model: ["sparkles", "hand.raised", "exclamationmark.triangle"]
                delegate: SymbolIcon {
                    required property string modelData
                    visible: detail.hints[detail.status] !== undefined && detail.hints[detail.status].icon === modelData
                    name: modelData
                    size: 18
                    color: Brand.inkSoft
                }
            }
            Text {
                textFormat: Text.PlainText
                objectName: "statusHintText"
                Layout.fillWidth: true
                wrapMode: Text.WordWrap
                text: detail.hints[detail.status] ? detail.hints[detail.status].text : ""
                color: Brand.inkSoft
                font.pixelSize: Brand.callout
            }
        }

        Flow {
            Layout.fillWidth: true
            spacing: 10
            InkButtonStyle {
                objectName: "copyButton"
                text: "Copiar texto"
                fill: Brand.cream
                onClicked: detail.inboxView.copyText(detail.recado.transcript || "")
            }
            InkButtonStyle {
                objectName: "resolveButton"
                visible: detail.recado.detailCanResolve === true
                text: "Marcar como resolvido"
                fill: Brand.primary
                onClicked: detail.inbox.resolveManually(detail.recado.id, detail.status)
            }
            InkButtonStyle {
                objectName: "reopenButton"
                visible: detail.recado.detailCanReopen === true
                text: "Voltar para pendentes"
                fill: Brand.cream
                onClicked: detail.inbox.reopen(detail.recado.id, detail.status)
            }
            // Web assistants reach the recado through cloud mode only. Named
            // as the notification names the same target: there "Abrir no
            // Claude" opens Claude Desktop.
            InkButtonStyle {
                objectName: "openClaude"
                visible: detail.host !== null && detail.inboxView.app.cloud.enabled
                text: "Claude na web"
                fill: Brand.peach
                onClicked: detail.host.openInChat("claude", detail.recado.id, detail.recado.title || "")
            }
            InkButtonStyle {
                objectName: "openChatGpt"
                visible: detail.host !== null && detail.inboxView.app.cloud.enabled
                text: "Abrir no ChatGPT"
                fill: Brand.butter
                onClicked: detail.host.openInChat("chatgpt", detail.recado.id, detail.recado.title || "")
            }
        }

        ColumnLayout {
            objectName: "timeline"
            spacing: 6
            SectionLabel { text: "Linha do tempo" }
            Repeater {
                model: [
                    { label: "Gravado no computador", at: detail.recado.createdAt },
                    { label: (detail.claimedBy || "IA") + " pegou", at: detail.recado.claimedAt },
                    { label: "Resultado gravado", at: detail.recado.resolvedAt }
                ].filter(line => detail.when(line.at) !== "")
                delegate: RowLayout {
                    id: line
                    required property var modelData
                    spacing: 8
                    Rectangle { width: 6; height: 6; radius: 3; color: Brand.ink }
                    Text { textFormat: Text.PlainText; text: line.modelData.label; color: Brand.ink; font.pixelSize: Brand.callout }
                    Text {
                        textFormat: Text.PlainText
                        text: detail.when(line.modelData.at)
                        color: Brand.inkSoft
                        font.pixelSize: Brand.callout
                    }
                }
            }
        }
        Item { implicitHeight: 24 }
    }
}
