import QtQuick
import Quaro.Ui

// A filled green circle with a check, and an optional word beside it
// ("Conectado", "Chegou na caixa").
Row {
    property alias text: word.text
    spacing: 6

    Rectangle {
        width: 18
        height: 18
        radius: 9
        color: Brand.good
        anchors.verticalCenter: parent.verticalCenter
        SymbolIcon {
            anchors.centerIn: parent
            name: "checkmark"
            size: 13
            weight: 3
            color: "white"
        }
    }
    Text {
        textFormat: Text.PlainText
        id: word
        visible: text !== ""
        color: Brand.ink
        font.pixelSize: Brand.callout
        font.weight: Font.DemiBold
        anchors.verticalCenter: parent.verticalCenter
    }
}
