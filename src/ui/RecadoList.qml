import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The inbox's middle column: the title of the current filter with the
// record button, then the recados of the filter as cards (newest first),
// or the empty state.
Item {
    id: list
    required property var inboxView

    readonly property InboxState inbox: inboxView.inbox
    readonly property alias menu: menu
    readonly property bool capturing: inboxView.capture.isCapturing

    RowLayout {
        id: header
        x: 16
        width: parent.width - 32
        height: 64
        Text {
            textFormat: Text.PlainText
            objectName: "listTitle"
            Layout.fillWidth: true
            text: list.inbox.inboxFilterTitle
            elide: Text.ElideRight
            maximumLineCount: 1
            color: Brand.ink
            font.family: Brand.displayFamily
            font.weight: Brand.displayFamily ? Font.ExtraBold : Font.Black
            font.pixelSize: Brand.title
        }
        CircleIconButton {
            objectName: "listRecord"
            implicitWidth: 40
            implicitHeight: 40
            focusPolicy: Qt.StrongFocus
            systemName: list.capturing ? "stop.fill" : "mic.fill"
            help: "Gravar recado (" + list.inboxView.hotKeyLabel + ")"
            Accessible.name: list.capturing ? "parar e enviar" : "gravar recado"
            onClicked: list.inboxView.capture.toggleRecording()
            background: Rectangle {
                radius: width / 2
                color: list.capturing ? Brand.accent : Brand.secondary
                border.width: 2
                border.color: Brand.ink
            }
        }
    }

    Column {
        objectName: "emptyList"
        anchors.centerIn: parent
        width: parent.width - 48
        visible: list.inbox.filtered.count === 0
        spacing: 10
        SymbolIcon {
            anchors.horizontalCenter: parent.horizontalCenter
            name: "waveform"
            size: 36
            color: Brand.inkSoft
        }
        Text {
            textFormat: Text.PlainText
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: "Nada por aqui"
            color: Brand.ink
            font.pixelSize: Brand.headline
            font.weight: Font.DemiBold
        }
        Text {
            textFormat: Text.PlainText
            objectName: "emptyHint"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: "Grave pelo botão acima ou aperte " + list.inboxView.hotKeyLabel + " em qualquer app."
            color: Brand.inkSoft
            font.pixelSize: Brand.callout
        }
    }

    ListView {
        id: cards
        objectName: "recadoCards"
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        width: parent.width
        visible: count > 0
        clip: true
        spacing: 8
        leftMargin: 12
        rightMargin: 12
        bottomMargin: 12
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        model: list.inbox.filtered
        ScrollBar.vertical: ScrollBar {}
        delegate: RecadoCard {
            width: cards.width - 24
            selected: id === list.inboxView.selectedID
            onChosen: list.inboxView.selectedID = id
            onMenuWanted: menu.popupFor(this)
        }
    }

    RecadoMenu {
        id: menu
        inboxView: list.inboxView
    }
}
