import QtQuick
import Quaro.Ui

// The brand's surface behind a piece: a hard ink shadow, the fill, on glass
// a highlight on the upper half, and an ink outline. Fills its parent.
Item {
    id: surface
    property real radius: height / 2
    property color fill: Brand.cream
    property bool glass: false
    property real shadow: 4
    property real lineWidth: 2

    anchors.fill: parent
    z: -1

    Rectangle {
        x: surface.shadow; y: surface.shadow
        width: parent.width; height: parent.height
        radius: surface.radius
        color: Brand.ink
    }
    Rectangle {
        anchors.fill: parent
        radius: surface.radius
        // Glass shows the window's cream through a translucent fill.
        color: surface.glass ? Qt.tint(Brand.cream, surface.fill) : surface.fill
    }
    Item {
        visible: surface.glass
        anchors.fill: parent
        anchors.margins: surface.lineWidth
        clip: true
        Item {
            width: parent.width
            height: parent.height / 2
            clip: true
            Rectangle {
                width: parent.width
                height: parent.height * 2
                radius: surface.radius - surface.lineWidth
                color: "transparent"
                border.width: 1
                border.color: Qt.rgba(1, 1, 1, 0.9)
            }
        }
    }
    Rectangle {
        anchors.fill: parent
        radius: surface.radius
        color: "transparent"
        border.width: surface.lineWidth
        border.color: Brand.ink
    }
}
