import QtQuick
import Quaro.Ui

// A button that copies `copyText` through the desktop and reads "Copiado"
// for a moment.
InkButtonStyle {
    id: button
    property string label: "Copiar"
    property string copyText: ""
    property var desktop: null
    property bool copied: false

    fill: Brand.cream
    text: copied ? "Copiado" : label
    Accessible.name: label
    onClicked: {
        if (desktop)
            desktop.copyText(copyText)
        copied = true
        reset.restart()
    }
    Timer {
        id: reset
        interval: 1600
        onTriggered: button.copied = false
    }
}
