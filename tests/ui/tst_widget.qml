import QtQuick
import QtTest
import Quaro.Ui

TestCase {
    id: test
    name: "WidgetView"
    width: 600
    height: 500
    visible: true
    when: windowShown

    Component {
        id: widgetComponent
        WidgetView { app: testApp; microphone: testMicrophone }
    }

    function shownName(widget) {
        return widget.shown ? widget.shown.objectName : ""
    }

    function test_1_idle_balloon_records_and_discards() {
        const widget = createTemporaryObject(widgetComponent, test)
        compare(shownName(widget), "")
        testApp.preferences.alwaysShowWidget = true
        compare(shownName(widget), "collapsedButton")
        mouseClick(findChild(widget, "collapsedButton"))
        tryCompare(testApp.capture, "phase", "recording")
        mouseClick(findChild(widget, "discardButton"))
        compare(testApp.capture.phase, "idle")
        testApp.preferences.alwaysShowWidget = false
        compare(shownName(widget), "")
    }

    function test_2_recording_paused_sent() {
        const widget = createTemporaryObject(widgetComponent, test)
        testApp.capture.startRecording()
        tryCompare(testApp.capture, "phase", "recording")
        compare(shownName(widget), "recordingPill")
        compare(findChild(widget, "status").text, "Ouvindo · " + testApp.inbox.selectedDestinoName)
        verify(findChild(widget, "micChip").visible)
        verify(!findChild(widget, "sendButton").visible)

        mouseClick(findChild(widget, "pauseButton"))
        compare(testApp.capture.phase, "paused")
        verify(findChild(widget, "sendButton").visible)
        verify(!findChild(widget, "micChip").visible)

        mouseClick(findChild(widget, "sendButton"))
        tryCompare(testApp.capture, "phase", "sent")
        compare(shownName(widget), "sentPill")
        compare(findChild(widget, "sentPill").title, "na caixa · " + testApp.inbox.selectedDestinoName)
        tryCompare(findChild(widget, "sentPill"), "subtitle", "Transcrito no computador", 10000)
        mouseClick(findChild(widget, "sentPill"))
        compare(testApp.capture.phase, "idle")
        compare(shownName(widget), "")
    }

    function test_3_failed_and_no_permission() {
        const widget = createTemporaryObject(widgetComponent, test)
        fixture.failNextStart()
        testApp.capture.startRecording()
        tryCompare(testApp.capture, "phase", "failed")
        compare(shownName(widget), "failedPill")
        compare(findChild(widget, "failedPill").subtitle, "Nenhum microfone encontrado.")
        mouseClick(findChild(widget, "failedPill"))
        compare(testApp.capture.phase, "idle")

        fixture.denyMicrophone()
        testApp.capture.startRecording()
        tryCompare(testApp.capture, "phase", "noPermission")
        compare(shownName(widget), "permissionPill")
    }

    function test_4_the_microphone_card_closes_when_sent() {
        const widget = createTemporaryObject(widgetComponent, test)
        testApp.capture.dismissMessage()
        fixture.allowMicrophone()
        testApp.capture.startRecording()
        tryCompare(testApp.capture, "phase", "recording")
        const card = findChild(widget, "micCard")
        verify(!card.visible)
        mouseClick(findChild(widget, "micChip"))
        verify(card.visible)
        testApp.capture.stopAndSend()
        tryCompare(testApp.capture, "phase", "sent")
        verify(!card.visible)
        testApp.capture.dismissMessage()
    }
}
