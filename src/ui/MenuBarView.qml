import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Layouts

// The tray panel: pending count, the record button, microphone and destino
// choices, the three newest recados, and the way to the inbox, the settings
// and out.
Item {
    id: panel
    required property AppState app
    required property AppActions actions
    required property MicrophoneChoice microphone

    readonly property CaptureFlow capture: app.capture
    readonly property InboxState inbox: app.inbox
    readonly property Preferences preferences: app.preferences
    readonly property string hotKeyLabel: app.hotKey.label

    width: 360
    height: content.implicitHeight + 32

    MeshBackdrop { variant: "soft" }
    Rectangle {
        anchors.fill: parent
        color: "transparent"
        border.width: 2
        border.color: Brand.ink
    }

    ColumnLayout {
        id: content
        x: 16
        y: 16
        width: parent.width - 32
        spacing: 12

        RowLayout {
            Layout.fillWidth: true
            Wordmark { size: 26 }
            Item { Layout.fillWidth: true }
            Text {
                textFormat: Text.PlainText
                objectName: "pendingCount"
                text: panel.inbox.pendingCount === 1 ? "1 pendente" : panel.inbox.pendingCount + " pendentes"
                color: Brand.inkSoft
                font.pixelSize: Brand.callout
                font.weight: Font.DemiBold
            }
        }

        RecordButton {
            objectName: "recordButton"
            Layout.fillWidth: true
            capturing: panel.capture.isCapturing
            hotKeyLabel: panel.hotKeyLabel
            onClicked: panel.capture.toggleRecording()
        }

        Text {
            textFormat: Text.PlainText
            text: "Microfone"
            color: Brand.ink
            font.pixelSize: Brand.label
            font.weight: Font.DemiBold
        }
        ComboBox {
            id: microphones
            objectName: "microphonePicker"
            Layout.fillWidth: true
            model: panel.microphone.options
            textRole: "name"
            valueRole: "id"
            delegate: PlainMenuItem {
                required property int index
                required property var modelData
                width: ListView.view.width
                text: modelData.name
                highlighted: microphones.highlightedIndex === index
            }
            currentIndex: panel.microphone.optionIndex
            Accessible.name: "Microfone"
            onActivated: {
                panel.microphone.choose(currentValue)
                currentIndex = Qt.binding(() => panel.microphone.optionIndex)
            }
        }

        Text {
            textFormat: Text.PlainText
            text: "Destino"
            color: Brand.ink
            font.pixelSize: Brand.label
            font.weight: Font.DemiBold
        }
        ComboBox {
            id: destinos
            objectName: "destinoPicker"
            Layout.fillWidth: true
            model: panel.inbox.destinos
            textRole: "name"
            valueRole: "id"
            delegate: PlainMenuItem {
                required property int index
                required property string name
                width: ListView.view.width
                text: name
                highlighted: destinos.highlightedIndex === index
            }
            Accessible.name: "Destino"
            currentIndex: panel.inbox.selectedDestinoRow
            onActivated: {
                panel.preferences.selectedDestinoID = currentValue
                currentIndex = Qt.binding(() => panel.inbox.selectedDestinoRow)
            }
        }

        Text {
            textFormat: Text.PlainText
            text: "Recentes"
            color: Brand.ink
            font.pixelSize: Brand.label
            font.weight: Font.DemiBold
        }
        Column {
            objectName: "recentList"
            Layout.fillWidth: true
            spacing: 6
            visible: panel.inbox.recent.count > 0
            Repeater {
                model: panel.inbox.recent
                delegate: RecentRow {
                    required property int index
                    width: parent ? parent.width : 0
                    visible: index < 3
                }
            }
        }
        Text {
            textFormat: Text.PlainText
            objectName: "emptyRecent"
            Layout.fillWidth: true
            visible: panel.inbox.recent.count === 0
            text: "Nenhum recado ainda. Aperte " + panel.hotKeyLabel + " e fale."
            wrapMode: Text.WordWrap
            color: Brand.inkSoft
            font.pixelSize: Brand.callout
        }

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: 1
            color: Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.2)
        }
        RowLayout {
            Layout.fillWidth: true
            LinkButton {
                objectName: "openInbox"
                text: "Abrir caixa"
                onClicked: {
                    panel.actions.closeMenu()
                    panel.actions.openInbox()
                }
            }
            LinkButton {
                objectName: "openSettings"
                text: "Ajustes"
                onClicked: {
                    panel.actions.closeMenu()
                    panel.actions.openSettings()
                }
            }
            Item { Layout.fillWidth: true }
            LinkButton {
                objectName: "quit"
                text: "Sair"
                onClicked: panel.actions.quit()
            }
        }
    }
}
