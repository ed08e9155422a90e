import QtQuick
import Quaro.Ui

// Step 2: pick the hot key and try it with the real capture flow; the box
// ticks as soon as the inbox holds any recado.
OnboardingStep {
    id: step
    required property AppState app
    property DesktopBridge desktop: null
    readonly property Preferences preferences: app.preferences
    readonly property int total: {
        const counts = app.inbox.counts
        return Object.keys(counts).reduce((sum, status) => sum + counts[status], 0)
    }

    title: "Grave de qualquer lugar"
    text: "Aperte o atalho, fale e aperte de novo. O recado vai para a caixa."

    SettingRow {
        title: "Atalho"
        InkPicker {
            objectName: "hotKeyPicker"
            Accessible.name: "Atalho"
            options: step.preferences.hotKeyPresetOptions()
            value: step.preferences.hotKeyPreset
            onChosen: value => step.preferences.hotKeyPreset = value
        }
    }
    HotKeyHelp {
        status: step.app.hotKey
        desktop: step.desktop
    }

    Item {
        width: parent.width
        height: box.implicitHeight + 28
        InkSurface {
            radius: 16
            glass: true
            fill: Qt.rgba(1, 1, 1, 0.6)
            shadow: 3
            lineWidth: 1.5
        }
        Column {
            id: box
            x: 16
            y: 14
            width: parent.width - 32
            spacing: 8
            Text {
                textFormat: Text.PlainText
                text: "Faça o teste agora"
                color: Brand.ink
                font.pixelSize: Brand.headline
                font.weight: Font.DemiBold
            }
            Text {
                textFormat: Text.PlainText
                objectName: "testText"
                width: parent.width
                text: "Aperte " + step.app.hotKey.label
                      + " e diga: \"isso é pro Ideias soltas: testando o Quaro pela primeira vez\". Aperte de novo para enviar."
                color: Brand.inkSoft
                font.pixelSize: Brand.callout
                wrapMode: Text.WordWrap
            }
            StatusMark {
                objectName: "arrived"
                visible: step.total >= 1
                text: "Chegou na caixa"
            }
        }
    }
}
