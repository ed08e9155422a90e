import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The editor of one destino, in the settings page and in the inbox's
// popup: its name, what the AI should do with its recados and its colour.
// It works on its own copy, loaded when the destino changes (and when the
// stored destino changes while the user is not typing), and files every
// change as it happens; there is no save button. A save that arrives after
// the destino was deleted (the field losing focus as the editor goes away)
// files nothing: the destino stays deleted.
ColumnLayout {
    id: editor
    required property InboxState inbox
    property string destinoID: ""
    // The inbox's popup deletes from here; the settings page has its own button.
    property bool offersDelete: false
    signal deleted()

    property string name: ""
    property string instruction: ""
    property string colorHex: ""
    property real sort: 0
    property bool gone: false

    spacing: 8

    function load() {
        const values = destinoID ? inbox.destinos.byId(destinoID) : ({})
        gone = values.id === undefined
        name = values.name || ""
        instruction = values.instruction || ""
        colorHex = values.colorHex || ""
        sort = values.sort || 0
        nameField.text = name
        instructionField.text = instruction
    }
    function save() {
        if (destinoID === "" || gone || !inbox.hasDestino(destinoID))
            return
        inbox.saveDestino(destinoID, name, instruction, colorHex, sort)
    }
    function remove() {
        gone = true
        inbox.deleteDestino(destinoID)
        deleted()
    }

    onDestinoIDChanged: load()
    Component.onCompleted: load()
    Connections {
        target: editor.inbox.destinos
        function onDataChanged() {
            if (!nameField.activeFocus && !instructionField.activeFocus)
                editor.load()
        }
    }

    component FieldLabel: Text {
        textFormat: Text.PlainText
        color: Brand.ink
        font.pixelSize: Brand.label
        font.bold: true
    }

    Text {
        textFormat: Text.PlainText
        objectName: "spokenHint"
        Layout.fillWidth: true
        visible: editor.destinoID !== ""
        text: "Diga \"isso é pro " + editor.name + "\" no começo da fala e o recado cai aqui sozinho."
        color: Brand.inkSoft
        font.pixelSize: Brand.callout
        wrapMode: Text.WordWrap
    }
    FieldLabel { text: "Nome"; visible: editor.destinoID !== "" }
    TextField {
        id: nameField
        objectName: "nameField"
        Layout.fillWidth: true
        visible: editor.destinoID !== ""
        enabled: !editor.gone
        font.pixelSize: Brand.body
        Accessible.name: "Nome"
        onTextEdited: {
            editor.name = text
            editor.save()
        }
        onActiveFocusChanged: if (!activeFocus) editor.save()
    }
    FieldLabel { text: "O que a IA deve fazer"; visible: editor.destinoID !== "" }
    ScrollView {
        Layout.fillWidth: true
        Layout.preferredHeight: 120
        visible: editor.destinoID !== ""
        contentWidth: availableWidth
        background: Rectangle {
            color: "white"
            radius: 6
            border.width: instructionField.activeFocus ? 2 : 1
            border.color: instructionField.activeFocus ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.3)
        }
        TextArea {
            id: instructionField
            objectName: "instructionField"
            wrapMode: TextEdit.Wrap
            font.pixelSize: Brand.callout
            enabled: !editor.gone
            Accessible.name: "O que a IA deve fazer"
            // Tab moves on, as everywhere else in the window.
            Keys.onTabPressed: nextItemInFocusChain(true).forceActiveFocus(Qt.TabFocusReason)
            Keys.onBacktabPressed: nextItemInFocusChain(false).forceActiveFocus(Qt.BacktabFocusReason)
            onTextChanged: {
                if (!activeFocus || text === editor.instruction)
                    return
                editor.instruction = text
                editor.save()
            }
            onActiveFocusChanged: if (!activeFocus) editor.save()
        }
    }
    RowLayout {
        Layout.fillWidth: true
        visible: editor.destinoID !== ""
        spacing: 10
        Repeater {
            model: Brand.destinoSwatches
            delegate: AbstractButton {
                id: swatch
                required property string modelData
                readonly property bool current: editor.colorHex.toUpperCase() === swatch.modelData
                objectName: "swatch" + modelData
                implicitWidth: 28
                implicitHeight: 28
                focusPolicy: Qt.StrongFocus
                Accessible.name: "Cor " + modelData
                Accessible.checked: current
                onClicked: {
                    editor.colorHex = swatch.modelData
                    editor.save()
                }
                background: Rectangle {
                    radius: 14
                    color: swatch.modelData
                    border.width: swatch.current || swatch.visualFocus ? 3 : 1.5
                    border.color: Brand.ink
                }
                contentItem: Item {
                    SymbolIcon {
                        anchors.centerIn: parent
                        visible: swatch.current
                        name: "checkmark"
                        size: 14
                        weight: 3
                        color: Brand.color(swatch.modelData).hslLightness < 0.3 ? "white" : Brand.ink
                    }
                }
            }
        }
        Item { Layout.fillWidth: true }
        InkButtonStyle {
            objectName: "removeDestino"
            visible: editor.offersDelete
            text: "Apagar destino"
            fill: Brand.rose
            enabled: !editor.gone
            onClicked: editor.remove()
        }
    }
}
