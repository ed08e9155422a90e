import QtQuick
import Quaro.Ui
import QtQuick.Controls

// A settings row whose control is a switch; `checked` follows the bound
// preference and `toggled` hands the user's choice back.
SettingRow {
    id: row
    property bool checked: false
    signal toggled(bool on)

    Switch {
        objectName: row.objectName + "Switch"
        checked: row.checked
        Accessible.name: row.title
        onToggled: row.toggled(checked)
    }
}
