import QtQuick
import QtQuick.Controls
import Quaro.Ui

// One recado in the inbox's list: its title, the start of its transcript,
// its destino and the time it was recorded. Tinted and outlined when
// selected; a right click opens the recado's menu.
ItemDelegate {
    id: card
    required property string id
    required property string title
    required property string transcript
    required property string status
    required property string destinoName
    required property string destinoColor
    required property date createdAt
    // What the card's menu offers for this recado.
    required property bool menuCanResolve
    required property bool menuCanReopen
    required property bool menuCanTranscribeAgain
    property bool selected: false
    signal chosen()
    signal menuWanted()

    height: content.implicitHeight + 24
    padding: 12
    focusPolicy: Qt.StrongFocus
    Accessible.name: title || "Recado"
    onClicked: chosen()

    TapHandler {
        acceptedButtons: Qt.RightButton
        onTapped: {
            card.chosen()
            card.menuWanted()
        }
    }
    Keys.onMenuPressed: menuWanted()
    Keys.onReturnPressed: chosen()
    Keys.onEnterPressed: chosen()

    background: Rectangle {
        radius: 12
        color: card.selected ? Qt.rgba(Brand.primary.r, Brand.primary.g, Brand.primary.b, 0.16)
                             : card.hovered ? Qt.rgba(1, 1, 1, 0.9) : Qt.rgba(1, 1, 1, 0.65)
        border.width: card.selected || card.visualFocus ? 2 : 1
        border.color: card.selected || card.visualFocus ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.12)
    }
    // Its named parts make the content built at once instead of deferred,
    // which costs nothing: a card always shows it.
    contentItem: Column { // qmllint disable deferred-property-id
        id: content
        spacing: 4
        Text {
            textFormat: Text.PlainText
            width: parent.width
            text: card.title || "Recado"
            elide: Text.ElideRight
            maximumLineCount: 1
            color: Brand.ink
            font.pixelSize: Brand.headline
            font.weight: Font.DemiBold
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            visible: card.transcript !== ""
            text: card.transcript
            wrapMode: Text.WordWrap
            elide: Text.ElideRight
            maximumLineCount: 2
            color: Brand.inkSoft
            font.pixelSize: Brand.caption
        }
        Item {
            width: parent.width
            height: 18
            DestinoDot {
                anchors.verticalCenter: parent.verticalCenter
                size: 10
                color: card.destinoName ? Brand.color(card.destinoColor) : Brand.systemGrey
            }
            Text {
                textFormat: Text.PlainText
                x: 16
                width: parent.width - 16 - time.width - 8
                anchors.verticalCenter: parent.verticalCenter
                text: card.destinoName || "Sem destino"
                elide: Text.ElideRight
                color: Brand.inkSoft
                font.pixelSize: Brand.caption
            }
            Text {
                textFormat: Text.PlainText
                id: time
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: card.createdAt ? card.createdAt.toLocaleTimeString(Qt.locale("pt_BR"), "HH:mm") : ""
                color: Brand.inkSoft
                font.pixelSize: Brand.caption
            }
        }
    }
}
