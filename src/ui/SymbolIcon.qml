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
        "tray.full": { fill: "", stroke: "M4 13.5l2.5-8h11l2.5 8v5H4zM4 13.5h4.5a3.5 3.5 0 0 0 7 0H20M8.5 8.5h7M8 11h8" },
        "hand.raised": { fill: "", stroke: "M8 12V6.5a1.5 1.5 0 0 1 3 0V11M11 10.5V5a1.5 1.5 0 0 1 3 0v5.5M14 10.5V6.5a1.5 1.5 0 0 1 3 0V14a7 7 0 0 1-7 7 6 6 0 0 1-5-3l-2-4a1.5 1.5 0 0 1 2.6-1.5L8 15" },
        "checkmark.circle": { fill: "", stroke: "M12 3.5a8.5 8.5 0 1 0 0.01 0zM8 12.5l3 3 5-6" },
        "square.stack": { fill: "", stroke: "M7 9h12v11H7zM5 16V7a2 2 0 0 1 2-2h10" },
        "waveform": { fill: "", stroke: "M3 12v0M6.5 9v6M10 5v14M13.5 8v8M17 10.5v3M20.5 12v0" },
        "sparkles": { fill: "M10 3l1.8 5.2L17 10l-5.2 1.8L10 17l-1.8-5.2L3 10l5.2-1.8zM18 14l.9 2.1L21 17l-2.1.9L18 20l-.9-2.1L15 17l2.1-.9z", stroke: "" },
        "doc.on.doc": { fill: "", stroke: "M9 7h10v14H9zM5 17V3h10" },
        "arrow.uturn.backward": { fill: "", stroke: "M9 5L4.5 9.5 9 14M4.5 9.5H15a5 5 0 0 1 0 10h-3" },
        "square.and.arrow.down": { fill: "", stroke: "M12 3v12M7.5 10.5L12 15l4.5-4.5M8 8H5v13h14V8h-3" },
        "exclamationmark.triangle": { fill: "", stroke: "M12 3.5L2.5 20h19zM12 9.5v5M12 17.5v0.2" },
        "magnifyingglass": { fill: "", stroke: "M10.5 4a6.5 6.5 0 1 0 0.01 0zM15.5 15.5L20.5 20.5" },
        "plus": { fill: "", stroke: "M12 5v14M5 12h14" },
        "pencil": { fill: "", stroke: "M15.5 4.5l4 4L9 19l-5 1 1-5zM13 7l4 4" },
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
