import QtQuick
import Quaro.Ui

// A button that copies `copyText` through the desktop and reads "Copiado"
// for a moment, or from then on when `staysCopied`.
InkButtonStyle {
    id: button
    property string label: "Copiar"
    property string copyText: ""
    property DesktopBridge desktop: null
    property bool copied: false
    property bool staysCopied: false

    fill: Brand.cream
    text: copied ? "Copiado" : label
    Accessible.name: label
    onClicked: {
        if (desktop)
            desktop.copyText(copyText)
        copied = true
        if (!staysCopied)
            reset.restart()
    }
    Timer {
        id: reset
        interval: 1600
        onTriggered: button.copied = false
    }
}
