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
    // Whether the recado can be transcribed again now (its status allows it
    // and its audio is kept), read when the menu opens.
    property bool canTranscribeAgain: false

    readonly property InboxState inbox: inboxView.inbox
    // The status-dependent items, for whoever checks what is offered.
    readonly property alias resolveItem: resolveItem
    readonly property alias reopenItem: reopenItem
    readonly property alias transcribeAgainItem: transcribeAgainItem
    // Where the items for the other models go: right after "Transcrever de novo".
    readonly property int firstModelItem: 5

    function popupFor(card) {
        recadoID = card.id
        recadoStatus = card.status
        transcript = card.transcript
        canResolve = card.menuCanResolve
        canReopen = card.menuCanReopen
        canTranscribeAgain = card.menuCanTranscribeAgain && inboxView.capture.canTranscribeAgain(card.id)
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
    // The same with each other model on this computer.
    Instantiator {
        model: recadoMenu.inboxView.app.models.alternatives
        delegate: PlainMenuItem {
            required property var modelData
            objectName: "transcribeWith-" + modelData.value
            text: "Transcrever de novo com " + modelData.label
            visible: recadoMenu.canTranscribeAgain
            height: visible ? implicitHeight : 0
            onTriggered: recadoMenu.inboxView.capture.transcribeAgain(recadoMenu.recadoID, modelData.value)
        }
        onObjectAdded: (index, object) => recadoMenu.insertItem(recadoMenu.firstModelItem + index, object)
        onObjectRemoved: (index, object) => recadoMenu.removeItem(object)
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
