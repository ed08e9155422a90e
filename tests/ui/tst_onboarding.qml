import QtQuick
import QtTest
import Quaro.Ui
import "shown.js" as Shown

TestCase {
    id: test
    name: "OnboardingView"
    width: 620
    height: 560
    visible: true
    when: windowShown

    Component {
        id: onboardingComponent
        OnboardingView { app: testApp; microphone: testMicrophone; desktop: testDesktop; steps: 5 }
    }
    SignalSpy { id: finishedSpy; signalName: "finished" }

    function verifyShown(item, expected) {
        compare(Shown.problems(item, expected), "")
    }

    function test_1_steps_advance_and_finish() {
        const view = createTemporaryObject(onboardingComponent, test)
        finishedSpy.target = view
        testApp.preferences.onboardingDone = false
        const back = findChild(view, "back")
        const forward = findChild(view, "forward")
        const titles = ["Fale. Sua IA escuta.", "Libere o microfone", "Grave de qualquer lugar",
                        "Ligue o Quaro à sua IA", "Pronto"]
        verify(!back.visible)
        verifyShown(view, [titles[0]])
        // Return is the default action; the button does the same.
        keyClick(Qt.Key_Return)
        compare(view.step, 1)
        verify(back.visible)
        verifyShown(view, [titles[1]])
        mouseClick(forward)
        mouseClick(forward)
        mouseClick(back)
        compare(view.step, 2)
        mouseClick(forward)
        verifyShown(view, [titles[3]])
        mouseClick(forward)
        compare(view.step, 4)
        verifyShown(view, [titles[4]])
        // This build has no feedback address: nothing points at it.
        verify(!findChild(view, "feedbackPoint").visible)
        compare(forward.text, "Abrir a caixa")
        verify(!testApp.preferences.onboardingDone)
        compare(finishedSpy.count, 0)
        mouseClick(forward)
        compare(finishedSpy.count, 1)
        verify(testApp.preferences.onboardingDone)
        testApp.preferences.onboardingDone = false
    }

    function test_2_microphone_status_data() {
        return [
            { tag: "authorised", setup: () => fixture.allowMicrophone(), shown: "Microfone: Microfone USB Alfa" },
            { tag: "undetermined", setup: () => fixture.askMicrophone(), shown: "O sistema vai perguntar uma vez" },
            { tag: "denied", setup: () => fixture.denyMicrophone(), shown: "O microfone está bloqueado para o Quaro" }
        ]
    }
    function test_2_microphone_status(data) {
        data.setup()
        const view = createTemporaryObject(onboardingComponent, test, { step: 1 })
        verifyShown(view, [data.shown])
        if (data.tag === "undetermined") {
            fixture.allowMicrophone()
            mouseClick(findChild(view, "allowMicrophone"))
            verifyShown(view, ["Microfone liberado"])
        }
        fixture.allowMicrophone()
    }

    function test_3_shortcut_conflict_and_test_box() {
        const view = createTemporaryObject(onboardingComponent, test, { step: 2 })
        const warning = findChild(view, "hotKeyWarning")
        const arrived = findChild(view, "arrived")
        verify(!warning.visible)
        findChild(view, "hotKeyPicker").activated(1)
        fixture.setHotKeyWorks(false)
        verify(warning.visible)
        fixture.setHotKeyWorks(true)
        testApp.preferences.hotKeyPreset = "optionSpace"

        // Any recado counts, old ones too.
        verify(!arrived.visible)
        fixture.addRecado("Um recado antigo", "resolvido", 0)
        fixture.reload()
        verify(arrived.visible)
    }
}
