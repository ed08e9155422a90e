import QtQuick
import Quaro.Ui

// The floating widget's content, chosen by the capture phase: the recording
// pill (with its microphone card), the filed or failed message, the
// permission message, or the idle balloon when the user keeps the widget.
// A drag anywhere that is not a button moves the window.
Item {
    id: root
    required property AppState app
    required property MicrophoneChoice microphone
    property bool showMics: false

    readonly property CaptureFlow capture: app.capture
    readonly property string phase: capture.phase
    readonly property bool capturing: phase === "recording" || phase === "paused"
    // The state on show: recording, sent, failed, permission or collapsed.
    readonly property Item shown: {
        for (const piece of [recording, sent, failed, permission, collapsed]) {
            if (piece.visible)
                return piece
        }
        return null
    }

    onPhaseChanged: if (!capturing) showMics = false

    width: Math.max(shown ? shown.implicitWidth : 0, micCard.visible ? micCard.implicitWidth : 0) + 6 + 12
    height: (shown ? shown.implicitHeight : 0) + (micCard.visible ? micCard.implicitHeight + 10 : 0) + 8 + 12

    MouseArea {
        property point grabbed
        property point origin
        anchors.fill: parent
        // Where windows may not place themselves (Wayland) the compositor
        // moves the window; elsewhere it follows the pointer.
        property bool systemMove: false
        onPressed: mouse => {
            systemMove = Qt.platform.pluginName === "wayland" && Window.window.startSystemMove()
            grabbed = mapToGlobal(mouse.x, mouse.y)
            origin = Qt.point(Window.window.x, Window.window.y)
        }
        onPositionChanged: mouse => {
            if (systemMove)
                return
            const now = mapToGlobal(mouse.x, mouse.y)
            Window.window.x = origin.x + now.x - grabbed.x
            Window.window.y = origin.y + now.y - grabbed.y
        }
    }

    Column {
        x: 6
        y: 8
        spacing: 10

        RecordingPill {
            id: recording
            objectName: "recordingPill"
            visible: root.capturing
            app: root.app
            microphone: root.microphone
            onToggleMics: root.showMics = !root.showMics
        }
        MessagePill {
            id: sent
            objectName: "sentPill"
            visible: root.phase === "sent"
            icon: "checkmark"
            title: "na caixa · " + root.capture.phaseText
            subtitle: root.capture.lastTranscriptionDone ? "Transcrito no computador" : "Transcrevendo no computador…"
            tint: Qt.rgba(Brand.secondary.r, Brand.secondary.g, Brand.secondary.b, 0.75)
            onTapped: root.capture.dismissMessage()
        }
        MessagePill {
            id: failed
            objectName: "failedPill"
            visible: root.phase === "failed"
            icon: "exclamationmark"
            title: "não deu para gravar"
            subtitle: root.capture.phaseText
            tint: Qt.rgba(Brand.accent.r, Brand.accent.g, Brand.accent.b, 0.6)
            onTapped: root.capture.dismissMessage()
        }
        PermissionPill {
            id: permission
            objectName: "permissionPill"
            visible: root.phase === "noPermission"
            onClose: root.capture.dismissMessage()
            onOpenSettings: Qt.openUrlExternally("settings://privacy/microphone")
        }
        CollapsedButton {
            id: collapsed
            objectName: "collapsedButton"
            visible: root.phase === "idle" && root.app.preferences.alwaysShowWidget
            hotKeyLabel: root.app.hotKey.label
            onClicked: root.capture.startRecording()
        }
        MicPickerCard {
            id: micCard
            objectName: "micCard"
            visible: root.showMics && root.capturing
            app: root.app
            microphone: root.microphone
            onClose: root.showMics = false
        }
    }
}
