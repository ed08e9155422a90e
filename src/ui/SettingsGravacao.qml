import QtQuick
import Quaro.Ui

// Gravação: microphone, language, what is kept, the notification, import,
// the speech model.
SettingsPage {
    id: page
    required property AppState app
    required property MicrophoneChoice microphone
    property DesktopBridge desktop: null
    readonly property Preferences preferences: app.preferences

    title: "Como o Quaro ouve"
    subtitle: "A transcrição acontece no próprio computador. Nada sai daqui."

    readonly property var languages: [
        { value: "pt-BR", label: "Português (Brasil)" },
        { value: "pt-PT", label: "Português (Portugal)" },
        { value: "en-US", label: "English (US)" },
        { value: "es-ES", label: "Español" }
    ]
    // "Padrão do sistema" (no fixed microphone) first, then the devices.
    readonly property var microphones: Array.from(page.microphone.options).map(
        option => ({ value: option.id, label: option.name }))

    GlassCard {
        width: parent.width
        SettingRow {
            title: "Microfone"
            detail: "Também dá para trocar no widget, durante a fala."
            InkPicker {
                objectName: "microphonePicker"
                Accessible.name: "Microfone"
                options: page.microphones
                value: page.preferences.selectedMicID
                onChosen: value => page.microphone.choose(value)
            }
        }
        SettingRow {
            title: "Idioma"
            detail: "Na primeira vez, o Quaro pode baixar o modelo de fala."
            InkPicker {
                objectName: "languagePicker"
                Accessible.name: "Idioma"
                options: page.languages
                value: page.preferences.languageID
                onChosen: value => page.preferences.languageID = value
            }
        }
        SettingSwitch {
            objectName: "keepAudio"
            title: "Guardar o áudio depois de transcrever"
            detail: "Desligado, fica só o texto."
            checked: page.preferences.keepAudio
            onToggled: on => page.preferences.keepAudio = on
        }
        SettingSwitch {
            objectName: "liveTranscription"
            title: "Transcrever enquanto você fala"
            detail: "O texto fica pronto logo que a gravação para."
            checked: page.preferences.liveTranscription
            onToggled: on => page.preferences.liveTranscription = on
        }
    }

    GlassCard {
        width: parent.width
        title: "Depois de gravar"
        SettingSwitch {
            objectName: "nudgeEnabled"
            title: "Avisar quando o recado chegar na caixa"
            detail: "A notificação traz \"Abrir no Claude\" (e Claude na web e ChatGPT, com o modo nuvem)."
            checked: page.preferences.nudgeEnabled
            onToggled: on => page.preferences.nudgeEnabled = on
        }
    }

    GlassCard {
        width: parent.width
        title: "Importar áudios"
        SettingRow {
            title: "Áudios do WhatsApp, do Gravador, mp3 e m4a"
            detail: "Também dá para arrastar os arquivos para a caixa, ou escolher \"Abrir com\" › Quaro no gerenciador de arquivos."
            InkButtonStyle {
                objectName: "chooseAudio"
                fill: Brand.cream
                text: "Escolher arquivos…"
                onClicked: if (page.desktop) page.desktop.chooseAudioToImport()
            }
        }
    }

    GlassCard {
        objectName: "modelCard"
        width: parent.width
        title: "Modelo de transcrição"
        // A model fetched by a transcription or deleted by hand shows as it is.
        onVisibleChanged: if (visible) page.app.models.refresh()
        Repeater {
            model: page.app.models
            delegate: ModelRow { catalogue: page.app.models }
        }
        WarningText {
            objectName: "modelMessage"
            visible: text !== ""
            text: page.app.models.message
        }
    }
}
