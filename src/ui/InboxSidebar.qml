import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The inbox's first column: the status filters with their counts, the
// destinos (each also a filter, and editable), and whether the AI side is
// ready.
Rectangle {
    id: sidebar
    required property var inboxView

    readonly property InboxState inbox: inboxView.inbox
    readonly property var counts: inbox.counts
    readonly property string filter: inbox.inboxFilter

    color: Qt.rgba(1, 1, 1, 0.35)

    // A count is written only from 1 up.
    function countText(status) {
        const n = status ? (counts[status] || 0) : 0
        return n >= 1 ? String(n) : ""
    }

    component SectionTitle: Text {
        textFormat: Text.PlainText
        color: Brand.inkSoft
        font.pixelSize: Brand.label
        font.weight: Font.DemiBold
        leftPadding: 8
        topPadding: 10
        bottomPadding: 4
    }

    component FilterRow: ItemDelegate {
        id: row
        property string value
        property string symbol
        property string count
        property color dot: "transparent"
        readonly property bool current: sidebar.filter === value
        width: parent ? parent.width : 0
        height: 32
        Accessible.name: text
        // Reached by Tab like every other control; Return or Space chooses.
        focusPolicy: Qt.StrongFocus
        Keys.onReturnPressed: clicked()
        Keys.onEnterPressed: clicked()
        onClicked: sidebar.inboxView.choose(value)
        background: Rectangle {
            radius: 8
            color: row.current ? Qt.rgba(Brand.primary.r, Brand.primary.g, Brand.primary.b, 0.28)
                               : row.hovered ? Qt.rgba(1, 1, 1, 0.6) : "transparent"
            border.width: row.visualFocus ? 2 : 0
            border.color: Brand.ink
        }
        contentItem: RowLayout {
            spacing: 8
            SymbolIcon {
                visible: row.symbol !== ""
                name: row.symbol
                size: 16
                weight: 1.8
            }
            DestinoDot {
                visible: row.symbol === ""
                size: 11
                color: row.dot
            }
            Text {
                textFormat: Text.PlainText
                Layout.fillWidth: true
                text: row.text
                elide: Text.ElideRight
                color: Brand.ink
                font.pixelSize: Brand.body
                font.weight: row.current ? Font.DemiBold : Font.Normal
            }
            Text {
                textFormat: Text.PlainText
                text: row.count
                visible: text !== ""
                color: Brand.inkSoft
                font.pixelSize: Brand.caption
            }
        }
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 10
        spacing: 2

        SectionTitle { text: "Caixa" }
        Column {
            Layout.fillWidth: true
            FilterRow {
                objectName: "filterPendentes"
                text: "Pendentes"; symbol: "tray.full"; value: "status:pendente"; count: sidebar.countText("pendente")
            }
            FilterRow {
                objectName: "filterPegos"
                text: "Pegos pela IA"; symbol: "hand.raised"; value: "status:pego"; count: sidebar.countText("pego")
            }
            FilterRow {
                objectName: "filterResolvidos"
                text: "Resolvidos"; symbol: "checkmark.circle"; value: "status:resolvido"
                count: sidebar.countText("resolvido")
            }
            FilterRow {
                objectName: "filterTodos"
                text: "Todos"; symbol: "square.stack"; value: "all"; count: ""
            }
        }

        RowLayout {
            Layout.fillWidth: true
            SectionTitle { text: "Destinos"; Layout.fillWidth: true }
            CircleIconButton {
                objectName: "newDestino"
                implicitWidth: 24
                implicitHeight: 24
                focusPolicy: Qt.StrongFocus
                systemName: "plus"
                help: "Novo destino"
                onClicked: destinoPopup.edit(sidebar.inbox.addDestino())
            }
        }
        ListView {
            id: destinoList
            objectName: "destinoFilters"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: sidebar.inbox.destinos
            delegate: FilterRow {
                required property string id
                required property string name
                required property string colorHex
                width: destinoList.width
                text: name
                value: "destino:" + id
                dot: Brand.color(colorHex)
                TapHandler {
                    acceptedButtons: Qt.RightButton
                    onTapped: destinoPopup.edit(parent.id)
                }
                CircleIconButton {
                    anchors.right: parent.right
                    anchors.rightMargin: 4
                    anchors.verticalCenter: parent.verticalCenter
                    implicitWidth: 22
                    implicitHeight: 22
                    visible: parent.hovered
                    systemName: "pencil"
                    help: "Editar destino"
                    onClicked: destinoPopup.edit(parent.id)
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 8
            Layout.bottomMargin: 6
            spacing: 8
            Rectangle { width: 7; height: 7; radius: 3.5; color: Brand.good }
            Text {
                textFormat: Text.PlainText
                objectName: "mcpCaption"
                Layout.fillWidth: true
                text: sidebar.inboxView.app.cloud.enabled ? "MCP local e nuvem ligados" : "MCP local pronto"
                color: Brand.inkSoft
                font.pixelSize: Brand.caption
                elide: Text.ElideRight
            }
        }
    }

    Popup {
        id: destinoPopup
        objectName: "destinoPopup"
        parent: Overlay.overlay
        x: sidebar.width + 20
        y: 90
        width: 420
        padding: 18
        modal: false
        focus: true
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
        property string destinoID: ""
        function edit(id) {
            destinoID = id
            open()
        }
        background: InkSurface { radius: 16; fill: Brand.cream; shadow: 5 }
        contentItem: DestinoEditor {
            objectName: "destinoEditor"
            offersDelete: true
            inbox: sidebar.inbox
            destinoID: destinoPopup.destinoID
            onDeleted: destinoPopup.close()
        }
    }
}
