import QtQuick
import Quaro.Ui
import QtQuick.Controls

// The editor of one destino. It works on its own copy, loaded when the
// selection changes (and when the stored destino changes while the user is
// not typing), and hands every edit to the inbox at once; there is no save
// button. Nothing is saved for a destino that is gone from the list, so a
// deleted one is never filed again by a late edit.
GlassCard {
    id: editor
    required property var inbox
    property string destinoID: ""
    property int row: -1

    property string name: ""
    property string instruction: ""
    property string colorHex: ""
    property int sort: 0

    readonly property var swatches: ["#FF6A1C", "#FFDA62", "#FFAE56", "#F5788B", "#16130F"]
    readonly property var model: inbox.destinos

    function field(role) {
        return model.data(model.index(row, 0), Qt.UserRole + role)
    }
    function load() {
        if (row < 0)
            return
        name = field(2)
        instruction = field(3)
        colorHex = field(4)
        sort = field(5)
    }
    function save() {
        if (destinoID === "" || row < 0 || field(1) !== destinoID)
            return
        inbox.saveDestino(destinoID, name, instruction, colorHex, sort)
    }
    onDestinoIDChanged: load()
    onRowChanged: load()
    Connections {
        target: editor.model
        function onDataChanged() {
            if (!nameField.activeFocus && !instructionField.activeFocus)
                editor.load()
        }
    }

    Text {
        textFormat: Text.PlainText
        objectName: "spokenHint"
        visible: editor.destinoID !== ""
        width: parent.width
        text: "Diga \"isso é pro " + editor.name + "\" no começo da fala e o recado cai aqui sozinho."
        color: Brand.inkSoft
        font.pixelSize: Brand.callout
        wrapMode: Text.WordWrap
    }
    Text {
        textFormat: Text.PlainText
        visible: editor.destinoID !== ""
        text: "Nome"
        color: Brand.ink
        font.pixelSize: Brand.label
        font.bold: true
    }
    TextField {
        id: nameField
        objectName: "nameField"
        visible: editor.destinoID !== ""
        width: parent.width
        text: editor.name
        font.pixelSize: Brand.body
        Accessible.name: "Nome"
        onTextEdited: {
            editor.name = text
            editor.save()
        }
    }
    Text {
        textFormat: Text.PlainText
        visible: editor.destinoID !== ""
        text: "O que a IA deve fazer"
        color: Brand.ink
        font.pixelSize: Brand.label
        font.bold: true
    }
    ScrollView {
        visible: editor.destinoID !== ""
        width: parent.width
        height: 140
        background: Rectangle {
            color: "white"
            radius: 6
            border.width: instructionField.activeFocus ? 2 : 1
            border.color: instructionField.activeFocus ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.3)
        }
        TextArea {
            id: instructionField
            objectName: "instructionField"
            text: editor.instruction
            wrapMode: TextEdit.Wrap
            font.pixelSize: Brand.callout
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
        }
    }
    Row {
        id: swatchRow
        visible: editor.destinoID !== ""
        spacing: 10
        Repeater {
            model: editor.swatches
            delegate: AbstractButton {
                id: swatch
                required property string modelData
                readonly property bool current: editor.colorHex.toUpperCase() === modelData
                objectName: "swatch" + modelData
                width: 28
                height: 28
                focusPolicy: Qt.StrongFocus
                Accessible.name: "Cor " + modelData
                Accessible.checked: current
                onClicked: {
                    editor.colorHex = modelData
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
                        color: swatch.modelData === "#16130F" ? "white" : Brand.ink
                    }
                }
            }
        }
    }
}
