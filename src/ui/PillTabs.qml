import QtQuick
import Quaro.Ui
import QtQuick.Templates as T

// A row of pill-shaped tabs; pressing one sets `selection` to its value.
// `items`: a list of { value, title, symbol }. `vertical` stacks them in a
// column of equal widths (a window's tab list).
Grid {
    id: tabs
    property var items: []
    property var selection
    property bool vertical: false
    property real tabWidth: 0
    columns: vertical ? 1 : Math.max(1, items.length)
    spacing: 6

    Accessible.role: Accessible.PageTabList

    Repeater {
        model: tabs.items
        // A tab button, so that screen readers hear a tab (a plain button
        // would force its own role over the one below).
        delegate: T.TabButton {
            id: tab
            required property var modelData
            readonly property bool selected: modelData.value === tabs.selection
            implicitHeight: 30
            implicitWidth: tabs.tabWidth > 0 ? tabs.tabWidth : contentItem.implicitWidth + 24
            leftPadding: tabs.vertical ? 14 : 0
            focusPolicy: Qt.StrongFocus
            Accessible.role: Accessible.PageTab
            Accessible.name: modelData.title
            Accessible.checked: selected
            onClicked: tabs.selection = modelData.value
            Keys.onReturnPressed: clicked()
            Keys.onEnterPressed: clicked()

            background: Rectangle {
                radius: height / 2
                color: tab.selected ? Qt.rgba(Brand.primary.r, Brand.primary.g, Brand.primary.b, 0.45)
                                    : Qt.rgba(1, 1, 1, tab.hovered ? 0.7 : 0.5)
                border.width: tab.visualFocus ? 2 : 1
                border.color: tab.visualFocus ? Brand.ink : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.15)
            }
            contentItem: Item {
                implicitWidth: children[0].implicitWidth
                Row {
                    spacing: 7
                    anchors.verticalCenter: parent.verticalCenter
                    x: tabs.vertical ? 0 : (parent.width - width) / 2
                    SymbolIcon {
                        visible: name !== ""
                        name: tab.modelData.symbol ?? ""
                        size: 15
                        weight: 1.8
                        anchors.verticalCenter: parent.verticalCenter
                    }
                    Text {
                        textFormat: Text.PlainText
                        text: tab.modelData.title
                        color: Brand.ink
                        font.pixelSize: 13
                        font.weight: tab.selected ? Font.DemiBold : Font.Normal
                        anchors.verticalCenter: parent.verticalCenter
                    }
                }
            }
        }
    }
}
