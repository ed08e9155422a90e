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
        "chevron.down": { fill: "", stroke: "M7 10l5 5 5-5" },
        "gearshape": { fill: "", stroke: "M18.8 9.3L21.4 10L21.4 14L18.8 14.7L18.7 14.9L20.1 17.2L17.2 20.1L14.9 18.7L14.7 18.8L14 21.4L10 21.4L9.3 18.8L9.1 18.7L6.8 20.1L3.9 17.2L5.3 14.9L5.2 14.7L2.6 14L2.6 10L5.2 9.3L5.3 9.1L3.9 6.8L6.8 3.9L9.1 5.3L9.3 5.2L10 2.6L14 2.6L14.7 5.2L14.9 5.3L17.2 3.9L20.1 6.8L18.7 9.1zM12 8.8a3.2 3.2 0 1 0 .01 0z" },
        "mic": { fill: "", stroke: "M12 2.5a3.5 3.5 0 0 0-3.5 3.5v5.5a3.5 3.5 0 0 0 7 0V6A3.5 3.5 0 0 0 12 2.5zM6 11.5a6 6 0 0 0 12 0M12 17.5v3.5M8.5 21h7" },
        "mic.circle": { fill: "", stroke: "M12 2.5a9.5 9.5 0 1 0 .01 0zM12 6.5a2 2 0 0 0-2 2v3a2 2 0 0 0 4 0v-3a2 2 0 0 0-2-2zM8.5 11.5a3.5 3.5 0 0 0 7 0M12 15v2.5" },
        "tray.2": { fill: "", stroke: "M4 10l2-5.5h12l2 5.5v3.5H4zM4 10h4.5a3.5 3.5 0 0 0 7 0H20M4 16.5V20h16v-3.5" },
        "point.3.connected.trianglepath.dotted": {
            fill: "M12 2.5a2.5 2.5 0 1 0 .01 0zM5 15.5a2.5 2.5 0 1 0 .01 0zM19 15.5a2.5 2.5 0 1 0 .01 0z",
            stroke: "M10.4 8.0l-0.3 0.5M8.6 11.2l-0.3 0.5M6.9 14.5l-0.3 0.5M8.2 18.0l0.6 0.0M11.7 18.0l0.6 0.0M15.2 18.0l0.6 0.0M17.4 15.0l-0.3 -0.5M15.6 11.8l-0.3 -0.5M13.9 8.5l-0.3 -0.5" },
        "command": { fill: "", stroke: "M9 9V6.5a2.5 2.5 0 1 0-2.5 2.5H9zM15 9V6.5a2.5 2.5 0 1 1 2.5 2.5H15zM9 15v2.5a2.5 2.5 0 1 1-2.5-2.5H9zM15 15v2.5a2.5 2.5 0 1 0 2.5-2.5H15zM9 9h6v6H9z" },
        "lock": { fill: "", stroke: "M7.5 11V8a4.5 4.5 0 0 1 9 0v3M5.5 11h13v9.5h-13zM12 14.5v2.5" },
        "bubble.left": { fill: "", stroke: "M12 4.5c4.7 0 8.5 3 8.5 6.8s-3.8 6.8-8.5 6.8c-1 0-2-.1-2.9-.4L4.5 19.5l1.4-3.6C4.4 14.7 3.5 13.1 3.5 11.3 3.5 7.5 7.3 4.5 12 4.5z" },
        "bubble.left.and.exclamationmark.bubble.right": {
            fill: "",
            stroke: "M8.6 14.6c-.6-.1-1.2-.2-1.7-.4L3.5 15.6l.9-2.8C3.5 11.9 3 10.8 3 9.6 3 6.8 5.7 4.6 9 4.6c2.4 0 4.5 1.1 5.5 2.8M15 9.8c3.3 0 6 2.1 6 4.8 0 1.3-.6 2.4-1.6 3.3l.9 2.9-3.2-1.5c-.7.2-1.4.3-2.1.3-3.3 0-6-2.1-6-4.8S11.7 9.8 15 9.8zM15 12.2v2.7M15 17.2v.01" },
        "trash": { fill: "", stroke: "M4.5 6.5h15M9.5 6.5V4h5v2.5M6.5 6.5l1 14h9l1-14M10.5 10v7M13.5 10v7" }
    })
    // False for a name this file does not draw (tests look for those).
    readonly property bool known: shapes[name] !== undefined
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
