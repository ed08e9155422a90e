import QtQuick
import Quaro.Ui

// A small capsule naming a recado's status.
Rectangle {
    id: tag
    property string status: "pendente"

    readonly property var labels: ({
        "transcrevendo": "Transcrevendo", "pendente": "Pendente", "pego": "Pego pela IA",
        "resolvido": "Resolvido", "falhou": "Falhou"
    })
    readonly property color tone: ({
        "transcrevendo": Brand.systemGrey, "pendente": Brand.primary, "pego": Brand.support,
        "resolvido": Brand.good, "falhou": Brand.systemRed
    })[status] ?? Brand.systemGrey
    readonly property string text: labels[status] ?? status

    implicitWidth: label.implicitWidth + 14
    implicitHeight: label.implicitHeight + 6
    radius: 6
    color: Qt.rgba(tone.r, tone.g, tone.b, 0.22)

    Text {
        textFormat: Text.PlainText
        id: label
        anchors.centerIn: parent
        text: tag.text
        color: Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.85)
        font.pixelSize: Brand.label
        font.weight: Font.Medium
    }
}
