import QtQuick
import Quaro.Ui
import QtQuick.Controls

// A menu picker over `options` ([{ value, label }]) that shows `value` and
// hands the user's pick to `chosen`; a value missing from the options shows
// no entry.
ComboBox {
    id: picker
    property var options: []
    property var value
    signal chosen(var value)

    model: options
    textRole: "label"
    valueRole: "value"
    currentIndex: options.findIndex(option => option.value === value)
    delegate: PlainMenuItem {
        required property int index
        width: ListView.view.width
        text: picker.options[index].label
        highlighted: picker.highlightedIndex === index
    }
    implicitWidth: 220
    font.pixelSize: Brand.callout
    onActivated: index => chosen(options[index].value)
}
