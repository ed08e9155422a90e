import QtQuick
import Quaro.Ui
import QtQuick.Controls

// Automatic mode: the switch, finding `claude`, the interval, a run now,
// the last summary and its log.
GlassCard {
    id: card
    required property AutoMode autoMode
    property DesktopBridge desktop: null

    readonly property string downloadPage: "https://docs.anthropic.com/pt/docs/claude-code/setup"
    readonly property var intervals: [
        { value: 15, label: "15 min" }, { value: 30, label: "30 min" }, { value: 60, label: "1 h" },
        { value: 180, label: "3 h" }
    ]

    SettingRow {
        title: "Modo automático com o Claude Code"
        detail: "O Claude Code deste computador resolve os pendentes sozinho, seguindo a instrução de cada destino. Usa o seu login do Claude Code."
        Switch {
            objectName: "autoEnabled"
            Accessible.name: "Modo automático com o Claude Code"
            checked: card.autoMode.enabled
            onToggled: card.autoMode.enabled = checked
        }
    }

    Column {
        objectName: "claudeMissing"
        visible: card.autoMode.lookedForClaude && card.autoMode.claudePath === ""
        width: parent.width
        spacing: 8
        WarningText {
            text: "Não achei o Claude Code neste computador. Instale em " + card.downloadPage
                  + ", entre na sua conta e volte aqui."
        }
        InkButtonStyle {
            objectName: "locateClaude"
            fill: Brand.cream
            text: "Procurar de novo"
            enabled: !card.autoMode.searching
            onClicked: card.autoMode.locateClaude()
        }
    }

    SettingRow {
        title: "Rodar a cada"
        InkPicker {
            objectName: "autoInterval"
            Accessible.name: "Rodar a cada"
            implicitWidth: 110
            options: card.intervals
            value: card.autoMode.intervalMinutes
            onChosen: value => card.autoMode.intervalMinutes = value
        }
        Text {
            textFormat: Text.PlainText
            text: "quando houver pendentes"
            color: Brand.inkSoft
            font.pixelSize: Brand.callout
            anchors.verticalCenter: parent.verticalCenter
        }
    }

    Flow {
        width: parent.width
        spacing: 8
        InkButtonStyle {
            objectName: "runNow"
            text: card.autoMode.running ? "Rodando…" : "Rodar agora"
            enabled: !card.autoMode.running
            onClicked: card.autoMode.runNow()
        }
        InkButtonStyle {
            objectName: "openLog"
            fill: Brand.cream
            text: "Ver registro"
            onClicked: if (card.desktop) card.desktop.openFile(card.autoMode.logPath)
        }
    }
    Text {
        textFormat: Text.PlainText
        objectName: "autoSummary"
        visible: text !== ""
        width: parent.width
        text: {
            const when = card.autoMode.lastRun
            const time = when && !isNaN(when.getTime()) ? Qt.formatDateTime(when, "dd/MM HH:mm") : ""
            const summary = card.autoMode.lastSummary
            return [time, summary].filter(part => part !== "").join(" · ")
        }
        color: Brand.inkSoft
        font.pixelSize: Brand.caption
        elide: Text.ElideRight
        maximumLineCount: 2
        wrapMode: Text.WordWrap
    }
}
