import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Layouts

// Destinos: the list in store order, adding and deleting, and the editor of
// the selected one.
SettingsPage {
    id: page
    required property AppState app
    readonly property DestinoListModel destinos: app.inbox.destinos
    // View state: the destino being edited, by id ("" for none).
    property string selectedID: ""

    title: "Para onde vai"
    subtitle: "Cada destino diz à IA o que fazer com os recados dele."

    function selectFirst() {
        selectedID = destinos.idAt(0)
    }
    Component.onCompleted: selectFirst()
    Connections {
        target: page.destinos
        // A destino deleted elsewhere takes the selection with it.
        function onCountChanged() {
            if (page.destinos.rowOf(page.selectedID) < 0)
                page.selectFirst()
        }
    }

    RowLayout {
        width: parent.width
        spacing: 16

        GlassCard {
            Layout.preferredWidth: 210
            Layout.alignment: Qt.AlignTop
            ListView {
                id: list
                objectName: "destinoList"
                width: parent.width
                height: Math.min(contentHeight, 300)
                clip: true
                model: page.destinos
                keyNavigationEnabled: true
                delegate: ItemDelegate {
                    id: entry
                    required property string id
                    required property string name
                    required property string colorHex
                    width: ListView.view.width
                    height: 34
                    highlighted: id === page.selectedID
                    Accessible.name: name
                    focusPolicy: Qt.StrongFocus
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    onClicked: page.selectedID = id
                    background: Rectangle {
                        radius: 10
                        color: entry.highlighted ? Qt.rgba(Brand.primary.r, Brand.primary.g, Brand.primary.b, 0.25)
                                                 : entry.hovered ? Qt.rgba(1, 1, 1, 0.6) : "transparent"
                        border.width: entry.visualFocus ? 2 : 0
                        border.color: Brand.ink
                    }
                    contentItem: Row {
                        spacing: 8
                        DestinoDot {
                            size: 14
                            color: Brand.color(entry.colorHex)
                            anchors.verticalCenter: parent.verticalCenter
                        }
                        Text {
                            textFormat: Text.PlainText
                            text: entry.name
                            width: entry.width - 50
                            elide: Text.ElideRight
                            color: Brand.ink
                            font.pixelSize: Brand.callout
                            anchors.verticalCenter: parent.verticalCenter
                        }
                    }
                }
            }
            Flow {
                width: parent.width
                spacing: 8
                InkButtonStyle {
                    objectName: "addDestino"
                    text: "Novo destino"
                    onClicked: page.selectedID = page.app.inbox.addDestino()
                }
                InkButtonStyle {
                    objectName: "deleteDestino"
                    fill: Brand.cream
                    symbol: "trash"
                    text: "Apagar destino"
                    enabled: page.selectedID !== ""
                    onClicked: {
                        page.app.inbox.deleteDestino(page.selectedID)
                        page.selectFirst()
                    }
                }
            }
        }

        GlassCard {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignTop
            DestinoEditor {
                objectName: "destinoEditor"
                width: parent.width
                inbox: page.app.inbox
                destinoID: page.selectedID
            }
        }
    }
}
