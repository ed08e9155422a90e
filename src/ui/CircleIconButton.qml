import QtQuick
import Quaro.Ui
import QtQuick.Controls
import QtQuick.Templates as T

// A small round icon button; `help` is its tooltip and accessible name.
T.Button {
    id: button
    property string systemName: "xmark"
    property string help: ""

    implicitWidth: 34
    implicitHeight: 34
    focusPolicy: Qt.NoFocus
    Accessible.name: help
    opacity: pressed ? 0.8 : 1
    ToolTip.text: help
    ToolTip.visible: hovered && help !== ""
    ToolTip.delay: 500

    background: Rectangle {
        radius: width / 2
        color: button.hovered ? Qt.lighter(Brand.cream, 1.02) : Brand.cream
        border.width: 2
        border.color: Brand.ink
    }
    contentItem: Item {
        SymbolIcon {
            anchors.centerIn: parent
            size: 16
            weight: 2.8
            name: button.systemName
        }
    }
}
