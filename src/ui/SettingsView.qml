import QtQuick
import Quaro.Ui
import QtQuick.Layouts

// The settings window: the tab list on the left, the selected tab on the
// right over the warm backdrop. The tab is the state's `settingsTab`, so
// other parts of the application can open the window on a given tab.
Item {
    id: view
    required property AppState app
    required property MicrophoneChoice microphone
    property DesktopBridge desktop: null

    implicitWidth: 820
    implicitHeight: 640

    readonly property var tabs: [
        { value: "geral", title: "Geral", symbol: "gearshape" },
        { value: "gravacao", title: "Gravação", symbol: "mic" },
        { value: "destinos", title: "Destinos", symbol: "tray.2" },
        { value: "conexoes", title: "Conexões", symbol: "point.3.connected.trianglepath.dotted" }
    ]

    MeshBackdrop { variant: "warm" }

    Column {
        id: sidebar
        x: 20
        y: 24
        width: 170
        spacing: 22

        Wordmark { size: 30; dot: Brand.primary }
        PillTabs {
            id: tabList
            objectName: "settingsTabs"
            vertical: true
            tabWidth: sidebar.width
            items: view.tabs
            onSelectionChanged: view.app.preferences.settingsTab = selection
        }
        // A press assigns the selection; this keeps it following the state.
        Binding {
            target: tabList
            property: "selection"
            value: view.app.preferences.settingsTab
        }
    }

    StackLayout {
        anchors.fill: parent
        anchors.leftMargin: sidebar.x + sidebar.width + 20
        currentIndex: Math.max(0, view.tabs.findIndex(tab => tab.value === view.app.preferences.settingsTab))

        SettingsGeral { app: view.app; desktop: view.desktop }
        SettingsGravacao { app: view.app; microphone: view.microphone; desktop: view.desktop }
        SettingsDestinos { app: view.app }
        SettingsConexoes { app: view.app; desktop: view.desktop }
    }
}
