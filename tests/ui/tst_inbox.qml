import QtQuick
import QtTest
import Quaro.Ui

TestCase {
    id: test
    name: "InboxView"
    width: 1180
    height: 740
    visible: true
    when: windowShown

    Component {
        id: inboxComponent
        InboxView { app: testApp; width: 1180; height: 740 }
    }
    Component {
        id: hostedComponent
        InboxView {
            app: testApp
            width: 1180
            height: 740
            host: QtObject {
                property var copied: []
                readonly property bool trayMissing: false
                function copyText(text) { copied.push(text) }
                function fileExists(path) { return false }
                function claimTrayMissingNotice() { return false }
            }
        }
    }
    Component {
        id: editorComponent
        DestinoEditor { inbox: testApp.inbox; offersDelete: true; width: 400 }
    }

    readonly property var inbox: testApp.inbox
    readonly property string notAudio: "Esse arquivo não é um áudio que o Quaro lê (m4a, mp3, wav, opus…)."

    function init() {
        inbox.inboxSearch = ""
        inbox.inboxFilter = "all"
        while (inbox.filtered.count > 0) {
            const row = inbox.filtered.get(0)
            inbox.deleteRecado(row.id, row.status)
        }
        inbox.inboxFilter = "status:pendente"
        testApp.capture.clearNotice()
    }

    function openInbox() {
        const view = createTemporaryObject(inboxComponent, test)
        waitForRendering(view)
        return view
    }

    function cardTitles(view) {
        const titles = []
        for (let i = 0; i < inbox.filtered.count; ++i)
            titles.push(inbox.filtered.get(i).title)
        return titles.join("|")
    }

    function test_empty_inbox() {
        const view = openInbox()
        verify(findChild(view, "emptyList").visible)
        verify(findChild(view, "emptyDetail").visible)
        compare(view.selectedID, "")
        compare(findChild(view, "listTitle").text, "Pendentes")
        compare(findChild(view, "mcpCaption").text, "MCP local pronto")

        view.showAbout()
        const about = findChild(view, "aboutDialog")
        tryVerify(() => about.opened)
        compare(about.version, testApp.updater.version)
        verify(about.version !== "")
        keyClick(Qt.Key_Escape)
        tryVerify(() => !about.visible)
    }

    function test_filters_counts_and_search() {
        fixture.addRecado("Ligar para o João", "pendente", 0)
        fixture.addRecado("Metas do trimestre", "pendente", 1)
        fixture.addRecado("Calendário", "pego", 0)
        fixture.addRecado("Acentuação", "resolvido", -1)
        fixture.reload()
        const view = openInbox()

        // Counts only from 1 up, never for "Todos".
        compare(findChild(view, "filterPendentes").count, "2")
        compare(findChild(view, "filterPegos").count, "1")
        compare(findChild(view, "filterTodos").count, "")
        compare(cardTitles(view), "Metas do trimestre|Ligar para o João")
        compare(view.selectedID, inbox.filtered.get(0).id)
        // Resolved under "Pendentes", it leaves the list and the next is selected.
        mouseClick(findChild(view, "resolveButton"))
        compare(cardTitles(view), "Ligar para o João")
        compare(findChild(view, "detailTitle").text, "Ligar para o João")

        const rows = [
            { filter: "filterResolvidos", value: "status:resolvido", title: "Resolvidos",
              titles: "Acentuação|Metas do trimestre", selected: "Acentuação" },
            { filter: "filterPegos", value: "status:pego", title: "Pegos pela IA", titles: "Calendário",
              selected: "Calendário" },
            { filter: "filterTodos", value: "all", title: "Todos",
              titles: "Acentuação|Calendário|Metas do trimestre|Ligar para o João", selected: "Calendário" },
        ]
        for (const row of rows) {
            mouseClick(findChild(view, row.filter))
            compare(inbox.inboxFilter, row.value)
            compare(findChild(view, "listTitle").text, row.title)
            compare(cardTitles(view), row.titles, row.filter)
            // The first recado is selected when the selected one leaves the
            // list; one still listed stays selected.
            compare(findChild(view, "detailTitle").text, row.selected, row.filter)
        }

        // A destino row filters by destino and names it.
        const destino = inbox.destinos.byId(inbox.filtered.get(1).destinoID)
        inbox.inboxFilter = "destino:" + destino.id
        compare(findChild(view, "listTitle").text, destino.name)
        // It follows the destino's renaming.
        inbox.saveDestino(destino.id, "Renomeado", destino.instruction, destino.colorHex, destino.sort)
        compare(findChild(view, "listTitle").text, "Renomeado")

        inbox.inboxFilter = "all"
        const search = findChild(view, "searchField")
        mouseClick(search)
        for (const letter of "meta")
            keyClick(letter)
        compare(inbox.inboxSearch, "meta")
        compare(cardTitles(view), "Metas do trimestre")
        search.text = ""
        inbox.inboxSearch = ""
    }

    function test_detail_and_menu_follow_the_status() {
        fixture.addRecado("Falhou", "falhou", -1, true)
        fixture.addRecado("Pego", "pego", 0, true)
        fixture.addRecado("Pendente", "pendente", 0, true)
        fixture.reload()
        inbox.inboxFilter = "all"
        const view = openInbox()
        const menu = findChild(view, "recadoList").menu
        const cases = [
            { title: "Pendente", resolve: true, reopen: false, again: true, detailReopen: false },
            { title: "Pego", resolve: false, reopen: true, again: false, detailReopen: true },
            { title: "Falhou", resolve: false, reopen: false, again: true, detailReopen: true },
        ]
        // Newest first: the rows come in the order of the cases.
        for (let row = 0; row < cases.length; ++row) {
            const c = cases[row]
            const values = inbox.filtered.get(row)
            view.selectedID = values.id
            compare(findChild(view, "detailTitle").text, c.title)
            verify(findChild(view, "statusHint").visible)
            compare(findChild(view, "resolveButton").visible, c.resolve, c.title)
            compare(findChild(view, "reopenButton").visible, c.detailReopen, c.title)
            menu.popupFor(values)
            compare(menu.resolveItem.visible, c.resolve, c.title)
            compare(menu.reopenItem.visible, c.reopen, c.title)
            compare(menu.transcribeAgainItem.visible, c.again, c.title)
            menu.close()
        }

        // Resolving by hand from the detail reaches the store.
        view.selectedID = inbox.filtered.get(0).id
        compare(findChild(view, "detailTitle").text, "Pendente")
        mouseClick(findChild(view, "resolveButton"))
        compare(inbox.counts["resolvido"], 1)
        compare(findChild(view, "detailResult").text, "Resolvido à mão no Quaro.")
        verify(!findChild(view, "statusHint").visible)
    }

    function test_copy_and_move_from_the_card_and_the_detail() {
        fixture.addRecado("Ligar para o João às 15h", "pendente", 0)
        fixture.reload()
        const view = createTemporaryObject(hostedComponent, test)
        waitForRendering(view)
        mouseClick(findChild(view, "copyButton"))
        const menu = findChild(view, "recadoList").menu
        menu.popupFor(inbox.filtered.get(0))
        menu.itemAt(0).triggered()
        compare(view.host.copied, ["Ligar para o João às 15h", "Ligar para o João às 15h"])

        // "Mover para" lists the destinos in order; choosing one moves it.
        const move = menu.menuAt(1)
        compare(move.count, inbox.destinos.count)
        const last = inbox.destinos.count - 1
        verify(move.itemAt(last).text !== inbox.filtered.get(0).destinoName)
        move.itemAt(last).triggered()
        menu.close()
        compare(inbox.filtered.get(0).destinoName, move.itemAt(last).text)
        compare(findChild(view, "detailDestino").text, move.itemAt(last).text)
    }

    function test_the_notice_shows_and_closes_by_hand() {
        const view = openInbox()
        const notice = findChild(view, "importNotice")
        testApp.capture.importAudio(["https://example.com/nota.mp3"])
        verify(notice.visible)
        compare(findChild(view, "noticeText").text, notAudio)
        mouseClick(findChild(view, "noticeClose"))
        verify(!notice.visible)
        compare(testApp.capture.notice, "")
    }

    // Deleted while the user types its name: the field's save on losing
    // focus must not file the destino again. What typing saves, and the
    // spoken hint, are the settings view's test.
    function test_destino_deleted_while_typing_stays_deleted() {
        const id = inbox.addDestino()
        const editor = createTemporaryObject(editorComponent, test, { destinoID: id })
        const name = findChild(editor, "nameField")
        name.forceActiveFocus()
        keyClick("x")
        verify(name.activeFocus)
        editor.remove()
        verify(!inbox.hasDestino(id))
        name.focus = false
        test.forceActiveFocus()
        editor.save()
        editor.destroy()
        wait(0)
        inbox.reload()
        verify(!inbox.hasDestino(id))
        compare(inbox.destinos.byId(id).id, undefined)
    }
}
