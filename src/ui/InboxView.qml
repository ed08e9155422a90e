import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Quaro.Ui

// The inbox window's content: the menu bar, the toolbar (record, search),
// three columns (filters and destinos, the recados of the filter, the
// selected recado), the import notice and the drop target. Everything it
// lists and does belongs to the application state; it keeps only the
// selection and whether files are being dragged over it. `host` is the
// window (clipboard, file chooser, web chats, menu actions), absent in
// tests.
Item {
    id: view
    required property AppState app
    property var host: null
    property string selectedID: ""
    property bool dropping: false
    // The selected recado's values (see RecadoListModel.get), {} when none.
    property var current: ({})

    readonly property InboxState inbox: app.inbox
    readonly property CaptureFlow capture: app.capture
    readonly property string hotKeyLabel: app.hotKey.label

    implicitWidth: 1180
    implicitHeight: 740

    function refreshCurrent() {
        const model = inbox.filtered
        const row = selectedID ? model.rowOf(selectedID) : -1
        current = row >= 0 ? model.get(row) : ({})
    }
    // A selected recado stays selected while it is listed; otherwise the
    // first one of the list is.
    function followList() {
        const model = inbox.filtered
        if (!selectedID || model.rowOf(selectedID) < 0)
            selectedID = model.count > 0 ? model.data(model.index(0, 0), RecadoListModel.IdRole) : ""
        refreshCurrent()
    }
    // The window has just been shown (after a reload): the newest recado.
    function selectFirst() {
        selectedID = ""
        followList()
    }
    // Setting the filter reloads the list.
    function choose(filter) {
        inbox.inboxFilter = filter
    }
    // Everything dropped goes to the import, which keeps the audio files
    // and refuses the rest (web addresses included: nothing is fetched).
    function importDropped(urls) {
        const list = []
        for (let i = 0; i < urls.length; ++i)
            list.push(urls[i])
        if (list.length > 0)
            capture.importAudio(list)
    }
    function copyText(text) {
        if (host)
            host.copyText(text)
    }

    // The window was closed or hidden: nothing keeps playing.
    signal hidden()

    onSelectedIDChanged: refreshCurrent()
    Component.onCompleted: followList()
    Connections {
        target: view.inbox
        function onReloaded() { view.followList() }
    }
    Connections {
        target: view.Window.window
        function onVisibleChanged() {
            if (!view.Window.window.visible)
                view.hidden()
        }
    }

    Rectangle {
        anchors.fill: parent
        color: Brand.cream
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        InboxMenuBar {
            Layout.fillWidth: true
            visible: view.host !== null
            inboxView: view
        }
        InboxToolbar {
            Layout.fillWidth: true
            inboxView: view
        }
        SplitView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            orientation: Qt.Horizontal

            InboxSidebar {
                SplitView.minimumWidth: 200
                SplitView.preferredWidth: 220
                SplitView.maximumWidth: 260
                inboxView: view
            }
            RecadoList {
                objectName: "recadoList"
                SplitView.minimumWidth: 300
                SplitView.preferredWidth: 340
                SplitView.maximumWidth: 420
                inboxView: view
            }
            Item {
                SplitView.fillWidth: true
                SplitView.minimumWidth: 320
                RecadoDetail {
                    anchors.fill: parent
                    visible: view.current.id !== undefined
                    inboxView: view
                    recado: view.current
                }
                Column {
                    objectName: "emptyDetail"
                    anchors.centerIn: parent
                    visible: view.current.id === undefined
                    spacing: 14
                    Wordmark {
                        anchors.horizontalCenter: parent.horizontalCenter
                        size: 40
                    }
                    Text {
                        textFormat: Text.PlainText
                        text: "Escolha um recado para ver a transcrição."
                        color: Brand.inkSoft
                        font.pixelSize: Brand.body
                    }
                }
            }
        }
    }

    ImportNotice {
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 24
        capture: view.capture
    }

    // Over everything while files are dragged in; it takes no clicks.
    Rectangle {
        objectName: "dropHint"
        anchors.centerIn: parent
        visible: view.dropping
        width: dropRow.implicitWidth + 40
        height: 56
        radius: height / 2
        color: Qt.rgba(1, 1, 1, 0.92)
        border.width: 2
        border.color: Brand.ink
        Row {
            id: dropRow
            anchors.centerIn: parent
            spacing: 10
            SymbolIcon { name: "square.and.arrow.down"; size: 22; anchors.verticalCenter: parent.verticalCenter }
            Text {
                textFormat: Text.PlainText
                anchors.verticalCenter: parent.verticalCenter
                text: "Solte para importar e transcrever"
                color: Brand.ink
                font.pixelSize: Brand.headline
                font.weight: Font.DemiBold
            }
        }
    }

    DropArea {
        objectName: "dropArea"
        anchors.fill: parent
        onEntered: drag => {
            view.dropping = drag.hasUrls
            drag.accept(Qt.CopyAction)
        }
        onExited: view.dropping = false
        onDropped: drop => {
            view.dropping = false
            view.importDropped(drop.urls)
            drop.accept(Qt.CopyAction)
        }
    }

    AboutDialog {
        id: about
        objectName: "aboutDialog"
        anchors.centerIn: parent
        version: view.app.updater.version
    }
    function showAbout() { about.open() }

    // Said once (ever), when the inbox first stands in for the missing tray.
    Dialog {
        id: noTray
        objectName: "noTrayDialog"
        anchors.centerIn: parent
        modal: true
        width: 460
        padding: 24
        title: "Sem ícone na bandeja"
        footer: DialogButtonBox {
            standardButtons: Dialog.Ok
            background: Item {}
        }
        background: InkSurface { radius: 16; fill: Brand.cream; shadow: 5 }
        header: Label {
            textFormat: Text.PlainText
            text: noTray.title
            padding: 24
            bottomPadding: 0
            color: Brand.ink
            font.pixelSize: Brand.headline
            font.weight: Font.DemiBold
        }
        Label {
            textFormat: Text.PlainText
            width: noTray.availableWidth
            wrapMode: Text.WordWrap
            color: Brand.ink
            font.pixelSize: Brand.body
            text: "Esta área de trabalho não mostra ícones na bandeja do sistema. O Quaro fica aberto nesta "
                  + "janela: grave pelo menu Gravação"
                  + (view.app.hotKeyWorks ? " ou com " + view.hotKeyLabel : "") + ". Fechar a janela só a minimiza."
        }
        Connections {
            target: view.Window.window
            function onVisibleChanged() {
                if (view.Window.window.visible && view.host && view.host.claimTrayMissingNotice())
                    noTray.open()
            }
        }
    }
}
