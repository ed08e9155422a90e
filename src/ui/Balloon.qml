import QtQuick
import Quaro.Ui
import QtQuick.Shapes

// The speech balloon: a rounded rectangle filling its frame whose
// bottom-left corner (the tail) is tighter than the other three.
Shape {
    id: balloon
    property real radius: Math.min(width, height) * 0.3
    property real tip: radius * 0.25
    property color fillColor: "transparent"
    property color strokeColor: "transparent"
    property real strokeWidth: 0

    readonly property real inset: strokeWidth / 2
    readonly property real r: Math.min(radius, (width - strokeWidth) / 2, (height - strokeWidth) / 2)
    readonly property real t: Math.min(tip, r)
    readonly property real k: 0.5523
    readonly property real x0: inset
    readonly property real y0: inset
    readonly property real x1: width - inset
    readonly property real y1: height - inset

    layer.enabled: true
    layer.samples: 4
    antialiasing: true

    ShapePath {
        fillColor: balloon.fillColor
        strokeColor: balloon.strokeColor
        strokeWidth: balloon.strokeWidth > 0 ? balloon.strokeWidth : -1
        joinStyle: ShapePath.RoundJoin
        startX: balloon.x0 + balloon.r; startY: balloon.y0
        PathLine { x: balloon.x1 - balloon.r; y: balloon.y0 }
        PathCubic {
            x: balloon.x1; y: balloon.y0 + balloon.r
            control1X: balloon.x1 - balloon.r * (1 - balloon.k); control1Y: balloon.y0
            control2X: balloon.x1; control2Y: balloon.y0 + balloon.r * (1 - balloon.k)
        }
        PathLine { x: balloon.x1; y: balloon.y1 - balloon.r }
        PathCubic {
            x: balloon.x1 - balloon.r; y: balloon.y1
            control1X: balloon.x1; control1Y: balloon.y1 - balloon.r * (1 - balloon.k)
            control2X: balloon.x1 - balloon.r * (1 - balloon.k); control2Y: balloon.y1
        }
        PathLine { x: balloon.x0 + balloon.t; y: balloon.y1 }
        PathCubic {
            x: balloon.x0; y: balloon.y1 - balloon.t
            control1X: balloon.x0 + balloon.t * (1 - balloon.k); control1Y: balloon.y1
            control2X: balloon.x0; control2Y: balloon.y1 - balloon.t * (1 - balloon.k)
        }
        PathLine { x: balloon.x0; y: balloon.y0 + balloon.r }
        PathCubic {
            x: balloon.x0 + balloon.r; y: balloon.y0
            control1X: balloon.x0; control1Y: balloon.y0 + balloon.r * (1 - balloon.k)
            control2X: balloon.x0 + balloon.r * (1 - balloon.k); control2Y: balloon.y0
        }
    }
}
