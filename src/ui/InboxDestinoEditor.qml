import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The inbox's quick editor of one destino (the settings window has the
// full one): its name, what the AI should do with its recados and
// its colour. It works on its own copy and files every change as it
// happens; there is no save button. A save that arrives after the destino
// was deleted (the field losing focus as the editor goes away) files
// nothing: the destino stays deleted.
ColumnLayout {
    id: editor
    required property var inbox
    property string destinoID: ""
    signal deleted()

    property string name: ""
    property string instruction: ""
    property string colorHex: ""
    property var sort: 0
    property bool gone: false

    readonly property var swatches: ["#FF6A1C", "#FFDA62", "#FFAE56", "#F5788B", "#16130F"]

    spacing: 10

    function load() {
        const values = destinoID ? inbox.destinos.byId(destinoID) : ({})
        gone = values.id === undefined
        name = values.name || ""
        instruction = values.instruction || ""
        colorHex = values.colorHex || ""
        sort = values.sort || 0
        nameField.text = name
        instructionArea.text = instruction
    }
    function save() {
        if (gone || !inbox.hasDestino(destinoID))
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

    Text {
        textFormat: Text.PlainText
        objectName: "spokenHint"
        Layout.fillWidth: true
        wrapMode: Text.WordWrap
        text: "Diga \"isso é pro " + editor.name + "\" no começo da fala e o recado cai aqui sozinho."
        color: Brand.inkSoft
        font.pixelSize: Brand.caption
    }
    Label { textFormat: Text.PlainText; text: "Nome"; font.pixelSize: Brand.label; font.weight: Font.DemiBold }
    TextField {
        id: nameField
        objectName: "destinoName"
        Layout.fillWidth: true
        Accessible.name: "Nome"
        enabled: !editor.gone
        onTextEdited: {
            editor.name = text
            editor.save()
        }
        onActiveFocusChanged: if (!activeFocus) editor.save()
    }
    Label { textFormat: Text.PlainText; text: "O que a IA deve fazer"; font.pixelSize: Brand.label; font.weight: Font.DemiBold }
    ScrollView {
        Layout.fillWidth: true
        Layout.preferredHeight: 110
        background: Rectangle {
            color: "white"
            radius: 6
            border.width: instructionArea.activeFocus ? 2 : 1
            border.color: instructionArea.activeFocus ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.25)
        }
        TextArea {
            id: instructionArea
            objectName: "destinoInstruction"
            wrapMode: TextEdit.Wrap
            Accessible.name: "O que a IA deve fazer"
            enabled: !editor.gone
            onTextChanged: {
                if (text === editor.instruction)
                    return
                editor.instruction = text
                editor.save()
            }
            onActiveFocusChanged: if (!activeFocus) editor.save()
        }
    }
    RowLayout {
        spacing: 8
        Repeater {
            model: editor.swatches
            delegate: Rectangle {
                required property string modelData
                readonly property bool chosen: editor.colorHex.toUpperCase() === modelData
                width: 24
                height: 24
                radius: 12
                color: modelData
                border.width: chosen ? 3 : 1
                border.color: Brand.ink
                Accessible.role: Accessible.Button
                Accessible.name: modelData
                TapHandler {
                    onTapped: {
                        editor.colorHex = parent.modelData
                        editor.save()
                    }
                }
            }
        }
        Item { Layout.fillWidth: true }
        InkButtonStyle {
            objectName: "deleteDestino"
            text: "Apagar destino"
            fill: Brand.rose
            enabled: !editor.gone
            onClicked: editor.remove()
        }
    }
}
