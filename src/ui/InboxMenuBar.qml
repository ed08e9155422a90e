import QtQuick
import QtQuick.Controls
import Quaro.Ui

// The application's main menu, carried by the inbox window, with Ctrl for
// the shortcuts. Without a tray the "Arquivo" menu also carries what the
// tray would: the destino to record into and the widget switch.
MenuBar {
    id: bar
    required property var inboxView

    readonly property var host: inboxView.host
    readonly property AppState app: inboxView.app
    readonly property bool trayMissing: host !== null && host.trayMissing

    // The text field or area that has the keyboard, for the "Editar" menu.
    function editor() {
        const item = bar.Window.activeFocusItem
        return item instanceof TextInput || item instanceof TextEdit ? item : null
    }

    Menu {
        title: "Quaro"
        Action { text: "Sobre o Quaro"; onTriggered: bar.inboxView.showAbout() }
        Action {
            id: updates
            text: "Procurar atualizações…"
            enabled: bar.app.updater.isAvailable
            onTriggered: bar.app.updater.checkForUpdates()
        }
        Action { text: "Primeiros passos…"; onTriggered: bar.host.openOnboardingRequested() }
        Action { id: feedback; text: "Enviar feedback…"; onTriggered: bar.app.updater.sendFeedback() }
        MenuSeparator {}
        Action { text: "Ajustes…"; shortcut: "Ctrl+,"; onTriggered: bar.host.openSettingsRequested() }
        MenuSeparator {}
        Action { text: "Ocultar o Quaro"; shortcut: "Ctrl+H"; onTriggered: bar.host.hideQuaro() }
        Action { text: "Sair do Quaro"; shortcut: "Ctrl+Q"; onTriggered: bar.host.quitRequested() }
        Component.onCompleted: {
            if (!bar.app.updater.isAvailable)
                removeAction(updates)
            if (!bar.app.updater.canSendFeedback)
                removeAction(feedback)
        }
    }
    Menu {
        id: fileMenu
        title: "Arquivo"
        Action {
            text: bar.app.capture.isCapturing ? "Parar e enviar" : "Gravar recado"
            shortcut: "Ctrl+R"
            onTriggered: bar.host.toggleRecordingRequested()
        }
        Action { text: "Abrir caixa"; shortcut: "Ctrl+1"; onTriggered: bar.host.openInboxRequested() }
        Action { text: "Importar áudio…"; shortcut: "Ctrl+I"; onTriggered: bar.host.chooseAudioToImport() }
        MenuSeparator {}
        Action { text: "Fechar janela"; shortcut: "Ctrl+W"; onTriggered: bar.host.closeWindow() }
    }
    Menu {
        title: "Editar"
        Action { text: "Desfazer"; shortcut: "Ctrl+Z"; onTriggered: { const e = bar.editor(); if (e) e.undo() } }
        Action { text: "Refazer"; shortcut: "Ctrl+Shift+Z"; onTriggered: { const e = bar.editor(); if (e) e.redo() } }
        MenuSeparator {}
        Action { text: "Cortar"; shortcut: "Ctrl+X"; onTriggered: { const e = bar.editor(); if (e) e.cut() } }
        Action { text: "Copiar"; shortcut: "Ctrl+C"; onTriggered: { const e = bar.editor(); if (e) e.copy() } }
        Action { text: "Colar"; shortcut: "Ctrl+V"; onTriggered: { const e = bar.editor(); if (e) e.paste() } }
        Action { text: "Selecionar tudo"; shortcut: "Ctrl+A"; onTriggered: { const e = bar.editor(); if (e) e.selectAll() } }
    }
    Menu {
        title: "Janela"
        Action { text: "Minimizar"; shortcut: "Ctrl+M"; onTriggered: bar.host.minimize() }
    }
    // What the tray would offer, when there is none.
    Menu {
        id: trayMenu
        title: "Gravação"
        Action {
            text: bar.app.capture.isCapturing ? "Parar e enviar" : "Gravar recado"
            onTriggered: bar.host.toggleRecordingRequested()
        }
        Menu {
            id: micMenu
            title: "Microfone"
            MenuItem {
                text: "Padrão do sistema"
                checkable: true
                checked: bar.app.preferences.selectedMicID === ""
                onTriggered: {
                    bar.app.preferences.selectedMicID = ""
                    checked = Qt.binding(() => bar.app.preferences.selectedMicID === "")
                }
            }
            Instantiator {
                model: bar.app.capture.microphones
                delegate: PlainMenuItem {
                    required property string id
                    required property string name
                    text: name
                    checkable: true
                    checked: bar.app.preferences.selectedMicID === id
                    onTriggered: {
                        bar.app.preferences.selectedMicID = id
                        checked = Qt.binding(() => bar.app.preferences.selectedMicID === id)
                    }
                }
                onObjectAdded: (index, object) => micMenu.insertItem(index + 1, object)
                onObjectRemoved: (index, object) => micMenu.removeItem(object)
            }
        }
        Menu {
            id: destinoMenu
            title: "Destino"
            Instantiator {
                model: bar.app.inbox.destinos
                delegate: PlainMenuItem {
                    required property string id
                    required property string name
                    text: name
                    checkable: true
                    checked: bar.app.preferences.selectedDestinoID === id
                    onTriggered: {
                        bar.app.preferences.selectedDestinoID = id
                        checked = Qt.binding(() => bar.app.preferences.selectedDestinoID === id)
                    }
                }
                onObjectAdded: (index, object) => destinoMenu.insertItem(index, object)
                onObjectRemoved: (index, object) => destinoMenu.removeItem(object)
            }
        }
        MenuItem {
            text: "Mostrar widget sempre"
            checkable: true
            checked: bar.app.preferences.alwaysShowWidget
            onTriggered: {
                bar.app.preferences.alwaysShowWidget = !bar.app.preferences.alwaysShowWidget
                checked = Qt.binding(() => bar.app.preferences.alwaysShowWidget)
            }
        }
        MenuItem { text: "Ajustes…"; onTriggered: bar.host.openSettingsRequested() }
    }
    Component.onCompleted: if (!trayMissing) removeMenu(trayMenu)
}
