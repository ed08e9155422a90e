import QtQuick
import QtTest
import Quaro.Ui
import "shown.js" as Shown

TestCase {
    id: test
    name: "SettingsView"
    width: 820
    height: 640
    visible: true
    when: windowShown

    Component {
        id: settingsComponent
        SettingsView { app: testApp; microphone: testMicrophone; desktop: testDesktop }
    }

    function open(tab) {
        testApp.preferences.settingsTab = tab
        return createTemporaryObject(settingsComponent, test)
    }

    function verifyShown(item, expected) {
        compare(Shown.problems(item, expected), "")
    }

    // Scrolls the tab so that `item` is inside the window, then clicks it.
    function press(item) {
        // Columns lay out on the next frame.
        waitForRendering(test)
        let flick = item.parent
        while (flick && typeof flick.flick !== "function")
            flick = flick.parent
        const at = item.mapToItem(flick.contentItem, 0, 0)
        flick.contentY = Math.max(0, Math.min(at.y - 40, flick.contentHeight - flick.height))
        mouseClick(item)
    }

    // Every tab whole (no undrawn symbol), with one text each, from the
    // state where there is one (the build, the model in use).
    function test_1_each_tab_shows_its_state_data() {
        return [
            { tag: "geral", text: "Cópia de desenvolvimento: atualize com scripts/build.sh." },
            { tag: "gravacao", text: "base · em uso" },
            { tag: "destinos", text: "Para onde vai" },
            { tag: "conexoes", text: "Ligue o Quaro à sua IA" }
        ]
    }
    function test_1_each_tab_shows_its_state(data) {
        const view = open(data.tag)
        verifyShown(view, [data.text])
        // This build has no feedback address and no updates: no control
        // that would do nothing.
        if (data.tag === "geral") {
            verify(!findChild(view, "feedbackRow").visible)
            verify(!findChild(view, "openDownloadPage").visible)
        }
    }

    function test_2_tabs_follow_the_shared_selection() {
        const view = open("geral")
        const tabs = findChild(view, "settingsTabs")
        mouseClick(tabs.children[2])
        compare(testApp.preferences.settingsTab, "destinos")
        verifyShown(view, ["Para onde vai"])
        testApp.preferences.settingsTab = "conexoes"
        compare(tabs.selection, "conexoes")
        verifyShown(view, ["Ligue o Quaro à sua IA"])
    }

    function test_3_switches_reach_the_preferences_data() {
        return [
            { tag: "alwaysShowWidget", tab: "geral" },
            { tag: "showInDock", tab: "geral" },
            { tag: "keepAudio", tab: "gravacao" },
            { tag: "nudgeEnabled", tab: "gravacao" }
        ]
    }
    function test_3_switches_reach_the_preferences(data) {
        const view = open(data.tab)
        const control = findChild(view, data.tag + "Switch")
        const before = testApp.preferences[data.tag]
        compare(control.checked, before)
        mouseClick(control)
        compare(testApp.preferences[data.tag], !before)
        testApp.preferences[data.tag] = before
        compare(control.checked, before)
    }

    function test_4_hot_key_choice_and_conflict() {
        const view = open("geral")
        const picker = findChild(view, "hotKeyPicker")
        const warning = findChild(view, "hotKeyWarning")
        compare(picker.currentText, "Alt Espaço")
        verify(!warning.visible)

        picker.activated(1)
        compare(testApp.preferences.hotKeyPreset, "controlOptionSpace")
        fixture.setHotKeyWorks(false)
        verify(warning.visible)
        picker.activated(2)
        fixture.setHotKeyWorks(true)
        verify(!warning.visible)
        compare(picker.currentText, "Alt Shift Espaço")
        testApp.preferences.hotKeyPreset = "optionSpace"
    }

    function test_5_language_and_microphone_pickers() {
        const view = open("gravacao")
        const language = findChild(view, "languagePicker")
        compare(language.currentText, "Português (Brasil)")
        language.activated(3)
        compare(testApp.preferences.languageID, "es-ES")
        testApp.preferences.languageID = "pt-BR"

        const mics = findChild(view, "microphonePicker")
        compare(mics.currentText, "Padrão do sistema")
        compare(mics.count, 1 + testApp.capture.microphones.count)
        mics.activated(1)
        compare(testApp.preferences.selectedMicID, "mic-a")
        compare(mics.currentText, "Microfone USB Alfa")
        mics.activated(0)
        compare(testApp.preferences.selectedMicID, "")
    }

    function test_6_destino_editor_saves_as_the_user_types() {
        const view = open("destinos")
        const destinos = testApp.inbox.destinos
        const before = destinos.count
        mouseClick(findChild(view, "addDestino"))
        compare(destinos.count, before + 1)
        const editor = findChild(view, "destinoEditor")
        const name = findChild(view, "nameField")
        compare(name.text, "Novo destino")

        name.forceActiveFocus()
        name.selectAll()
        keyClick(Qt.Key_Backspace)
        for (const letter of "viagem")
            keyClick(letter)
        const id = destinos.idAt(destinos.count - 1)
        compare(destinos.byId(id).name, "viagem")
        compare(findChild(view, "spokenHint").text,
                "Diga \"isso é pro viagem\" no começo da fala e o recado cai aqui sozinho.")

        mouseClick(findChild(view, "swatch#F5788B"))
        compare(destinos.byId(id).colorHex, "#F5788B")

        // Deleting selects the first one left; with none left the editor
        // empties, and a new destino is selected.
        const deletedID = editor.destinoID
        const remove = findChild(view, "deleteDestino")
        mouseClick(remove)
        compare(destinos.count, before)
        verify(editor.destinoID !== deletedID)
        compare(editor.destinoID, destinos.idAt(0))
        while (destinos.count > 0)
            mouseClick(remove)
        compare(editor.destinoID, "")
        verify(!name.visible)
        verify(!remove.enabled)
        mouseClick(findChild(view, "addDestino"))
        compare(editor.destinoID, destinos.idAt(0))
    }

    function test_8_connector_without_server_or_desktop() {
        const view = open("conexoes")
        verify(findChild(view, "helperMissing").visible)
        compare(findChild(view, "desktopRow").detail, "Não encontrei o Claude Desktop neste computador")
        verify(!findChild(view, "connectDesktop").enabled)

        const copy = findChild(view, "copyCommand")
        mouseClick(copy)
        compare(fixture.clipboardText(), testApp.connector.claudeCodeCommand)
        compare(copy.text, "Copiado")
    }

    function test_9_cloud_card() {
        const view = open("conexoes")
        const cloud = testApp.cloud
        const server = findChild(view, "cloudServer")
        compare(server.text, cloud.server)
        server.text = fixture.cloudServer()
        press(findChild(view, "cloudUseServer"))
        tryCompare(cloud, "server", fixture.cloudServer())
        press(findChild(view, "cloudEnable"))
        verify(cloud.enabled)
        const link = findChild(view, "cloudLink")
        compare(link.text, cloud.maskedLink)
        press(findChild(view, "cloudShowLink"))
        compare(link.text, cloud.mcpLink)
        verify(link.text.startsWith(fixture.cloudServer()))
        press(findChild(view, "cloudCopyLink"))
        compare(fixture.clipboardText(), cloud.mcpLink)

        // Pausing keeps the link; deleting and switching on again gives a new one.
        const first = cloud.mcpLink
        press(findChild(view, "cloudDisable"))
        verify(findChild(view, "cloudConfirm").visible)
        press(findChild(view, "cloudPause"))
        verify(!cloud.enabled)
        press(findChild(view, "cloudEnable"))
        compare(cloud.mcpLink, first)
        press(findChild(view, "cloudDisable"))
        press(findChild(view, "cloudDisableDelete"))
        verify(!cloud.enabled)
        tryCompare(cloud, "mcpLink", "")
        press(findChild(view, "cloudEnable"))
        tryVerify(() => cloud.mcpLink !== "" && cloud.mcpLink !== first)
        cloud.disableAndErase()
        tryCompare(cloud, "mcpLink", "")
    }

    function test_9b_cloud_status_follows_the_syncs() {
        const view = open("conexoes")
        const cloud = testApp.cloud
        const status = findChild(view, "cloudStatus")
        cloud.setServer(fixture.cloudServer())
        tryCompare(cloud, "server", fixture.cloudServer())
        fixture.holdCloud()
        cloud.enable()
        tryCompare(status, "text", "Sincronizando…")
        fixture.answerCloud(503)
        tryCompare(status, "text", "Sem conexão")
        verify(findChild(view, "cloudError").visible)
        fixture.answerCloud(200)
        cloud.syncNow()
        tryVerify(() => !cloud.syncing && !isNaN(cloud.lastSync.getTime()))
        compare(status.text, "Ligado · " + Qt.formatTime(cloud.lastSync, Locale.ShortFormat))
        verify(!findChild(view, "cloudError").visible)
        cloud.disableAndErase()
        tryCompare(cloud, "mcpLink", "")
    }

    function test_10_automatic_intervals() {
        const view = open("conexoes")
        const picker = findChild(view, "autoInterval")
        compare(picker.currentText, "1 h")
        picker.activated(0)
        compare(testApp.autoMode.intervalMinutes, 15)
        testApp.autoMode.intervalMinutes = 60
    }
}
