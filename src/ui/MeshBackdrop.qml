import QtQuick
import Quaro.Ui
import QtQuick.Shapes

// The soft warm gradient behind the larger windows: nine colour points on a
// 3 x 3 grid, each blended outwards, under a white veil.
Item {
    id: backdrop
    property string variant: "warm"

    readonly property var points: [[0, 0], [0.55, 0], [1, 0], [0, 0.45], [0.62, 0.52], [1, 0.40],
                                   [0, 1], [0.40, 1], [1, 1]]
    readonly property var colours: variant === "soft"
        ? [Brand.cream, Brand.peach, Brand.cream, Brand.butter, Brand.cream, Brand.rose, Brand.cream, Brand.cream, Brand.peach]
        : [Brand.peach, Brand.cream, Brand.rose, Brand.cream, Brand.butter, Brand.cream, Brand.rose, Brand.apricot, Brand.butter]

    anchors.fill: parent

    Rectangle {
        anchors.fill: parent
        color: Brand.cream
    }
    Repeater {
        model: 9
        delegate: Shape {
            id: blob
            required property int index
            anchors.fill: parent
            readonly property color tone: backdrop.colours[index]
            readonly property var point: backdrop.points[index]
            ShapePath {
                strokeWidth: -1
                fillGradient: RadialGradient {
                    centerX: blob.point[0] * backdrop.width
                    centerY: blob.point[1] * backdrop.height
                    focalX: centerX
                    focalY: centerY
                    centerRadius: Math.max(backdrop.width, backdrop.height) * 0.62
                    focalRadius: 0
                    GradientStop { position: 0; color: blob.tone }
                    GradientStop { position: 1; color: Qt.rgba(blob.tone.r, blob.tone.g, blob.tone.b, 0) }
                }
                startX: 0; startY: 0
                PathLine { x: backdrop.width; y: 0 }
                PathLine { x: backdrop.width; y: backdrop.height }
                PathLine { x: 0; y: backdrop.height }
                PathLine { x: 0; y: 0 }
            }
        }
    }
    Rectangle {
        anchors.fill: parent
        color: Qt.rgba(1, 1, 1, backdrop.variant === "soft" ? 0.38 : 0.18)
    }
}
