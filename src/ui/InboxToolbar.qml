import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The inbox window's toolbar: the wordmark, the record button and the
// search over the recados of the current filter.
Rectangle {
    id: toolbar
    required property var inboxView

    readonly property bool capturing: inboxView.capture.isCapturing

    implicitHeight: 56
    color: Qt.rgba(1, 1, 1, 0.55)

    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.12)
    }

    RowLayout {
        anchors.fill: parent
        anchors.leftMargin: 18
        anchors.rightMargin: 18
        spacing: 14

        Wordmark { size: 24 }
        Item { Layout.fillWidth: true }
        InkButtonStyle {
            objectName: "toolbarRecord"
            text: toolbar.capturing ? "Parar e enviar" : "Gravar recado"
            fill: toolbar.capturing ? Brand.accent : Brand.secondary
            ToolTip.text: "Gravar recado (" + toolbar.inboxView.hotKeyLabel + ")"
            ToolTip.visible: hovered
            ToolTip.delay: 500
            onClicked: toolbar.inboxView.capture.toggleRecording()
        }
        TextField {
            id: search
            objectName: "searchField"
            Layout.preferredWidth: 260
            placeholderText: "Buscar nos recados"
            Accessible.name: "Buscar nos recados"
            leftPadding: 32
            text: toolbar.inboxView.inbox.inboxSearch
            onTextEdited: toolbar.inboxView.inbox.inboxSearch = text
            SymbolIcon {
                name: "magnifyingglass"
                size: 15
                color: Brand.inkSoft
                x: 10
                anchors.verticalCenter: parent.verticalCenter
            }
            background: Rectangle {
                radius: height / 2
                color: "white"
                border.width: search.activeFocus ? 2 : 1
                border.color: search.activeFocus ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.25)
            }
        }
    }
}
