import QtQuick
import Quaro.Ui

// Geral: the hot key, the widget, the tray-only switch, login, the version
// and feedback.
SettingsPage {
    id: page
    required property AppState app
    property DesktopBridge desktop: null
    readonly property Preferences preferences: app.preferences
    readonly property Updater updater: app.updater

    title: "Do seu jeito"
    subtitle: "Atalho, widget e como o Quaro aparece no computador."

    GlassCard {
        width: parent.width
        SettingRow {
            title: "Atalho para gravar"
            detail: "Aperte em qualquer app. De novo para enviar."
            InkPicker {
                objectName: "hotKeyPicker"
                Accessible.name: "Atalho"
                options: page.preferences.hotKeyPresetOptions()
                value: page.preferences.hotKeyPreset
                onChosen: value => page.preferences.hotKeyPreset = value
            }
        }
        HotKeyHelp {
            status: page.app.hotKey
            desktop: page.desktop
            suggestOther: true
        }
    }

    GlassCard {
        width: parent.width
        SettingSwitch {
            objectName: "alwaysShowWidget"
            title: "Mostrar o widget sempre"
            detail: "Fica recolhido num balão quando você não está gravando."
            checked: page.preferences.alwaysShowWidget
            onToggled: on => page.preferences.alwaysShowWidget = on
        }
        SettingSwitch {
            objectName: "showInDock"
            title: "Mostrar o Quaro na barra de tarefas"
            detail: "Desligado, ele vive só na bandeja."
            checked: page.preferences.showInDock
            onToggled: on => page.preferences.showInDock = on
        }
        SettingSwitch {
            objectName: "launchAtLogin"
            title: "Abrir ao iniciar a sessão"
            checked: page.preferences.launchAtLogin
            onToggled: on => page.preferences.launchAtLogin = on
        }
    }

    GlassCard {
        width: parent.width
        SettingRow {
            objectName: "versionRow"
            title: "Versão " + page.updater.version
            // On Linux a new version comes from the package or the download
            // page: Quaro says when one is out, it does not install it.
            detail: !page.updater.isAvailable ? "Cópia de desenvolvimento: atualize com scripts/build.sh."
                    : String(page.updater.downloadPage) !== ""
                      ? "O Quaro avisa quando sai uma versão nova. Instale pelo gerenciador de pacotes ou pela página de download."
                      : "O Quaro avisa quando sai uma versão nova. Instale pelo gerenciador de pacotes."
            InkButtonStyle {
                objectName: "checkForUpdates"
                visible: page.updater.isAvailable
                enabled: !page.updater.checking
                text: "Procurar agora"
                onClicked: page.updater.checkForUpdates()
            }
            InkButtonStyle {
                objectName: "openDownloadPage"
                visible: page.updater.isAvailable && String(page.updater.downloadPage) !== ""
                fill: Brand.cream
                text: "Página de download"
                onClicked: page.updater.openDownloadPage()
            }
        }
        Text {
            textFormat: Text.PlainText
            visible: text !== ""
            width: parent.width
            text: page.updater.checkMessage
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
            wrapMode: Text.WordWrap
        }
        SettingRow {
            objectName: "feedbackRow"
            // A build without a feedback address has nowhere to send it.
            visible: page.updater.canSendFeedback
            title: "Contar o que achou"
            detail: "Leva 1 minuto e decide o que vem depois."
            InkButtonStyle {
                objectName: "sendFeedback"
                fill: Brand.cream
                text: "Enviar feedback"
                onClicked: page.updater.sendFeedback()
            }
        }
    }
}
