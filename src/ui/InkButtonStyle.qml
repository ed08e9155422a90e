import QtQuick
import Quaro.Ui
import QtQuick.Templates as T

// The brand button: a bold ink label (after its symbol, when it has one) on
// a filled capsule with an ink outline over a hard ink shadow; drawn lighter
// while pressed.
T.Button {
    id: button
    property color fill: Brand.secondary
    property real shadow: 3
    property string symbol: ""

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(32, implicitContentHeight + topPadding + bottomPadding)
    leftPadding: 14
    rightPadding: 14 + shadow
    topPadding: 6
    bottomPadding: 6 + shadow
    opacity: !enabled ? 0.45 : pressed ? 0.8 : 1
    focusPolicy: Qt.StrongFocus
    Accessible.name: text
    // Enter activates a focused button as Space does.
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()

    contentItem: Item {
        implicitWidth: children[0].implicitWidth
        implicitHeight: children[0].implicitHeight
        Row {
            anchors.centerIn: parent
            spacing: 6
            SymbolIcon {
                visible: button.symbol !== ""
                name: button.symbol
                size: 15
                weight: 2
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                textFormat: Text.PlainText
                text: button.text
                color: Brand.ink
                font.pixelSize: 13
                font.bold: true
                anchors.verticalCenter: parent.verticalCenter
            }
        }
    }
    background: Item {
        implicitHeight: 32
        Rectangle {
            x: button.shadow; y: button.shadow
            width: parent.width - button.shadow; height: parent.height - button.shadow
            radius: height / 2
            color: Brand.ink
        }
        Rectangle {
            width: parent.width - button.shadow; height: parent.height - button.shadow
            radius: height / 2
            color: button.fill
            border.width: button.visualFocus ? 3 : 2
            border.color: Brand.ink
        }
    }
}
