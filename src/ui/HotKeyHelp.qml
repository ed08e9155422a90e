import QtQuick
import Quaro.Ui

// What stands between the user and the hot key, and the fix this desktop
// allows: GNOME's own shortcut, a line for the compositor's configuration,
// or asking the desktop again. The tray menu says the same.
Column {
    id: help
    required property HotKeyStatus status
    property DesktopBridge desktop: null
    // The settings add the way out of a taken combination.
    property bool suggestOther: false

    width: parent ? parent.width : implicitWidth
    spacing: 8

    WarningText {
        objectName: "hotKeyWarning"
        visible: text !== ""
        text: help.status.state === "taken" && help.suggestOther ? help.status.problem + " Escolha outro."
                                                                  : help.status.problem
    }
    Text {
        objectName: "hotKeyFix"
        visible: text !== ""
        width: parent.width
        text: help.status.fix
        color: Brand.inkSoft
        font.pixelSize: Brand.caption
        wrapMode: Text.WordWrap
    }
    CodeLine {
        objectName: "hotKeyConfigLine"
        visible: text !== ""
        text: help.status.configLine
    }
    Row {
        spacing: 8
        CopyButton {
            objectName: "copyConfigLine"
            visible: help.status.configLine !== ""
            label: "Copiar a linha"
            copyText: help.status.configLine
            desktop: help.desktop
        }
        InkButtonStyle {
            objectName: "createGnomeShortcut"
            visible: help.status.gnomeShortcutOffered && help.status.fix !== ""
            text: "Criar atalho no GNOME"
            onClicked: help.status.createGnomeShortcut()
        }
        InkButtonStyle {
            objectName: "retryHotKey"
            visible: help.status.canRetry
            fill: Brand.cream
            text: "Pedir o atalho de novo"
            onClicked: help.status.retry()
        }
    }
    Row {
        spacing: 8
        visible: help.status.gnomeShortcutActive
        Text {
            objectName: "gnomeShortcutActive"
            anchors.verticalCenter: parent.verticalCenter
            text: "Atalho do GNOME ativo: " + help.status.label + " grava em qualquer app."
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
        }
        InkButtonStyle {
            objectName: "removeGnomeShortcut"
            fill: Brand.cream
            text: "Remover atalho do GNOME"
            onClicked: help.status.removeGnomeShortcut()
        }
    }
    WarningText {
        objectName: "hotKeyClash"
        visible: text !== ""
        text: help.status.clash
    }
}
