import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Layouts

// The microphone list under the recording pill: follow the system, or pick
// one device.
Rectangle {
    id: card
    required property AppState app
    required property MicrophoneChoice microphone
    signal close()

    implicitWidth: 300
    implicitHeight: column.implicitHeight + 20
    radius: 14
    color: Brand.cream
    border.width: 2
    border.color: Brand.ink

    ColumnLayout {
        id: column
        x: 10
        y: 10
        width: parent.width - 20
        spacing: 2
        Text {
            textFormat: Text.PlainText
            text: "MICROFONE"
            color: Brand.ink
            font.pixelSize: 11
            font.bold: true
        }
        Switch {
            objectName: "followSystem"
            text: "Seguir o padrão do sistema"
            checked: card.microphone.followsSystem
            font.pixelSize: 13
            onToggled: card.microphone.setFollowsSystem(checked)
        }
        Repeater {
            model: card.app.capture.microphones
            delegate: ItemDelegate {
                id: micRow
                required property string id
                required property string name
                Layout.fillWidth: true
                implicitHeight: 30
                text: name
                font.pixelSize: 13
                focusPolicy: Qt.NoFocus
                contentItem: Text {
                    text: micRow.text
                    textFormat: Text.PlainText
                    font: micRow.font
                    elide: Text.ElideRight
                    rightPadding: 24
                    verticalAlignment: Text.AlignVCenter
                    color: Brand.ink
                }
                onClicked: {
                    card.microphone.choose(micRow.id)
                    card.close()
                }
                SymbolIcon {
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    visible: micRow.id === card.microphone.selectedID
                    name: "checkmark"
                    size: 14
                    weight: 2.6
                }
            }
        }
    }
}
