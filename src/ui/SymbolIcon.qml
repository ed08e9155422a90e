import QtQuick
import Quaro.Ui
import QtQuick.Shapes

// The few symbols the interface draws, on a 24-unit grid scaled to `size`.
Item {
    id: icon
    property string name: "mic.fill"
    property color color: Brand.ink
    property real size: 20
    property real weight: 2.2

    readonly property var shapes: ({
        "mic.fill": { fill: "M12 2.5a3.5 3.5 0 0 0-3.5 3.5v5.5a3.5 3.5 0 0 0 7 0V6A3.5 3.5 0 0 0 12 2.5z",
                      stroke: "M6 11.5a6 6 0 0 0 12 0M12 17.5v3.5M8.5 21h7" },
        "mic.slash.fill": { fill: "M12 2.5a3.5 3.5 0 0 0-3.5 3.5v5.5a3.5 3.5 0 0 0 7 0V6A3.5 3.5 0 0 0 12 2.5z",
                            stroke: "M6 11.5a6 6 0 0 0 12 0M12 17.5v3.5M8.5 21h7M4 3l16 18" },
        "stop.fill": { fill: "M7 5h10a2 2 0 0 1 2 2v10a2 2 0 0 1-2 2H7a2 2 0 0 1-2-2V7a2 2 0 0 1 2-2z", stroke: "" },
        "pause.fill": { fill: "M6.5 5h4v14h-4zM13.5 5h4v14h-4z", stroke: "" },
        "play.fill": { fill: "M8 4.5l12 7.5-12 7.5z", stroke: "" },
        "xmark": { fill: "", stroke: "M6.5 6.5l11 11M17.5 6.5l-11 11" },
        "checkmark": { fill: "", stroke: "M5 12.5l4.5 4.5L19 7" },
        "exclamationmark": { fill: "M10.4 19a1.6 1.6 0 1 0 3.2 0a1.6 1.6 0 1 0-3.2 0z", stroke: "M12 4.5v10" },
        "chevron.down": { fill: "", stroke: "M7 10l5 5 5-5" }
    })
    readonly property var shape: shapes[name] ?? { fill: "", stroke: "" }

    implicitWidth: size
    implicitHeight: size

    Shape {
        width: 24
        height: 24
        scale: icon.size / 24
        transformOrigin: Item.TopLeft
        layer.enabled: true
        layer.samples: 4
        antialiasing: true
        ShapePath {
            fillColor: icon.color
            strokeColor: "transparent"
            strokeWidth: -1
            PathSvg { path: icon.shape.fill || "M0 0" }
        }
        ShapePath {
            fillColor: "transparent"
            strokeColor: icon.shape.stroke ? icon.color : "transparent"
            strokeWidth: icon.weight
            capStyle: ShapePath.RoundCap
            joinStyle: ShapePath.RoundJoin
            PathSvg { path: icon.shape.stroke || "M0 0" }
        }
    }
}
