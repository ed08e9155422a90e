import QtQuick
import QtQuick.Controls
import Quaro.Ui

// "Sobre o Quaro": the wordmark, the version and what Quaro is.
Dialog {
    id: about
    property string version: ""
    modal: true
    padding: 28
    width: 380
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    footer: DialogButtonBox {
        standardButtons: Dialog.Ok
        background: Item {}
    }
    background: InkSurface { radius: 18; fill: Brand.cream; shadow: 5 }

    Column {
        spacing: 10
        width: about.availableWidth
        Wordmark {
            anchors.horizontalCenter: parent.horizontalCenter
            size: 44
        }
        Text {
            textFormat: Text.PlainText
            objectName: "aboutVersion"
            anchors.horizontalCenter: parent.horizontalCenter
            text: "Versão " + about.version
            color: Brand.inkSoft
            font.pixelSize: Brand.callout
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: "Sua caixa de recados de voz para as IAs. Tudo é gravado e transcrito neste computador."
            color: Brand.ink
            font.pixelSize: Brand.body
        }
    }
}
