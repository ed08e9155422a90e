import QtQuick
import QtQuick.Controls
import Quaro.Ui

// A recado's context menu: copy, move to a destino, the steps its status
// allows (the list model's menu roles), delete. Shared by every card;
// `popupFor` fills it from one (or from a row's values).
Menu {
    id: recadoMenu
    required property var inboxView
    property string recadoID: ""
    property string recadoStatus: ""
    property string transcript: ""
    property bool canResolve: false
    property bool canReopen: false
    property bool canTranscribeAgain: false

    readonly property InboxState inbox: inboxView.inbox
    // The status-dependent items, for whoever checks what is offered.
    readonly property alias resolveItem: resolveItem
    readonly property alias reopenItem: reopenItem
    readonly property alias transcribeAgainItem: transcribeAgainItem

    function popupFor(card) {
        recadoID = card.id
        recadoStatus = card.status
        transcript = card.transcript
        canResolve = card.menuCanResolve
        canReopen = card.menuCanReopen
        canTranscribeAgain = card.menuCanTranscribeAgain
        popup()
    }

    MenuItem {
        objectName: "menuCopy"
        text: "Copiar transcrição"
        onTriggered: recadoMenu.inboxView.copyText(recadoMenu.transcript)
    }
    Menu {
        id: moveMenu
        title: "Mover para"
        Instantiator {
            model: recadoMenu.inbox.destinos
            delegate: PlainMenuItem {
                required property string id
                required property string name
                text: name
                onTriggered: recadoMenu.inbox.move(recadoMenu.recadoID, id)
            }
            onObjectAdded: (index, object) => moveMenu.insertItem(index, object)
            onObjectRemoved: (index, object) => moveMenu.removeItem(object)
        }
    }
    MenuItem {
        id: resolveItem
        text: "Marcar como resolvido"
        visible: recadoMenu.canResolve
        height: visible ? implicitHeight : 0
        onTriggered: recadoMenu.inbox.resolveManually(recadoMenu.recadoID, recadoMenu.recadoStatus)
    }
    MenuItem {
        id: reopenItem
        text: "Voltar para pendentes"
        visible: recadoMenu.canReopen
        height: visible ? implicitHeight : 0
        onTriggered: recadoMenu.inbox.reopen(recadoMenu.recadoID, recadoMenu.recadoStatus)
    }
    MenuItem {
        id: transcribeAgainItem
        text: "Transcrever de novo"
        visible: recadoMenu.canTranscribeAgain
        height: visible ? implicitHeight : 0
        onTriggered: recadoMenu.inboxView.capture.transcribeAgain(recadoMenu.recadoID)
    }
    MenuSeparator {}
    MenuItem {
        objectName: "menuDelete"
        text: "Apagar"
        palette.text: Brand.systemRed
        palette.windowText: Brand.systemRed
        onTriggered: recadoMenu.inbox.deleteRecado(recadoMenu.recadoID, recadoMenu.recadoStatus)
    }
}
