import QtQuick
import QtTest
import Quaro.Ui

TestCase {
    id: test
    name: "MenuBarView"
    width: 400
    height: 700
    visible: true
    when: windowShown

    Component {
        id: panelComponent
        MenuBarView { app: testApp; actions: testActions; microphone: testMicrophone }
    }

    function visibleRows(panel) {
        const list = findChild(panel, "recentList")
        const rows = []
        for (let i = 0; i < list.children.length; ++i) {
            const row = list.children[i]
            if (row.visible && row.title !== undefined)
                rows.push(row)
        }
        return rows
    }

    function test_1_empty_inbox() {
        const panel = createTemporaryObject(panelComponent, test)
        compare(findChild(panel, "pendingCount").text, "0 pendentes")
        const empty = findChild(panel, "emptyRecent")
        verify(empty.visible)
        compare(empty.text, "Nenhum recado ainda. Aperte Alt Espaço e fale.")
        testApp.preferences.hotKeyPreset = "controlOptionSpace"
        compare(empty.text, "Nenhum recado ainda. Aperte Ctrl Alt Espaço e fale.")
        testApp.preferences.hotKeyPreset = "optionSpace"
    }

    function test_2_counts_and_the_three_newest() {
        const panel = createTemporaryObject(panelComponent, test)
        fixture.addRecado("Primeiro recado", "resolvido", 0)
        fixture.addRecado("Ideia pro roadmap", "pendente", 1)
        fixture.addRecado("", "falhou", -1)
        fixture.reload()
        compare(findChild(panel, "pendingCount").text, "1 pendente")
        fixture.addRecado("Revisão das metas — ação", "pendente", 0)
        fixture.reload()
        compare(findChild(panel, "pendingCount").text, "2 pendentes")
        verify(!findChild(panel, "emptyRecent").visible)

        const rows = visibleRows(panel)
        compare(rows.length, 3)
        compare(rows.map(r => r.title).join("|"), "Revisão das metas — ação||Ideia pro roadmap")
        compare(rows.map(r => r.status).join("|"), "pendente|falhou|pendente")
    }

    function test_3_links_call_the_actions() {
        const panel = createTemporaryObject(panelComponent, test)
        mouseClick(findChild(panel, "openInbox"))
        mouseClick(findChild(panel, "openSettings"))
        mouseClick(findChild(panel, "quit"))
        compare(fixture.calls().join(","), "closeMenu,openInbox,closeMenu,openSettings,quit")
    }

    function test_4_record_button_toggles() {
        const panel = createTemporaryObject(panelComponent, test)
        const button = findChild(panel, "recordButton")
        compare(button.caption, "gravar recado")
        mouseClick(button)
        tryCompare(testApp.capture, "phase", "recording")
        compare(button.caption, "parar e enviar")
        mouseClick(button)
        tryCompare(testApp.capture, "phase", "sent")
        compare(button.caption, "gravar recado")
        testApp.capture.dismissMessage()
    }

    function test_5_pickers_follow_the_preferences() {
        const panel = createTemporaryObject(panelComponent, test)
        const destinos = findChild(panel, "destinoPicker")
        compare(destinos.count, testApp.inbox.destinos.count)
        verify(destinos.count >= 1)
        compare(destinos.currentValue, testApp.preferences.selectedDestinoID)

        const mics = findChild(panel, "microphonePicker")
        testMicrophone.choose("mic-b")
        compare(mics.currentText, "Headset")
        testMicrophone.choose("")
    }
}
