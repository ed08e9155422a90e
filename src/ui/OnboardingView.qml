import QtQuick
import Quaro.Ui
import QtQuick.Layouts

// The first-run steps: the idea, the microphone, the hot key, connecting an
// AI client, and the end, which opens the inbox. Finishing stores
// onboardingDone and emits `finished`; the window closes itself on it.
Item {
    id: view
    required property AppState app
    required property MicrophoneChoice microphone
    property DesktopBridge desktop: null
    property int steps: 5
    property int step: 0
    signal finished()

    implicitWidth: 620
    implicitHeight: 560

    function advance() {
        if (step < steps - 1)
            step += 1
        else
            finish()
    }
    function back() {
        if (step > 0)
            step -= 1
    }
    function finish() {
        app.preferences.onboardingDone = true
        finished()
    }

    focus: true
    Component.onCompleted: forceActiveFocus()
    // Return is the default action wherever no button took it.
    Keys.onReturnPressed: advance()
    Keys.onEnterPressed: advance()

    MeshBackdrop { variant: "soft" }

    Row {
        objectName: "stepMarks"
        x: 36
        y: 28
        spacing: 6
        Repeater {
            model: view.steps
            delegate: Rectangle {
                required property int index
                width: index === view.step ? 26 : 12
                height: 8
                radius: 4
                color: index === view.step ? Brand.primary : Qt.rgba(Brand.ink.r, Brand.ink.g, Brand.ink.b, 0.18)
                border.width: index === view.step ? 1.5 : 0
                border.color: Brand.ink
            }
        }
    }

    StackLayout {
        id: pages
        x: 36
        y: 64
        width: parent.width - 72
        height: bottomBar.y - y - 16
        currentIndex: view.step

        OnboardingStep {
            title: "Fale. Sua IA escuta."
            text: "O Quaro leva seus recados de voz direto para a IA. Você fala em qualquer app; a IA pega, trabalha e devolve o resultado no próprio recado."
            PointRow {
                symbol: "command"
                // Where the session gives no global shortcut, the shortcut step shows the way.
                text: view.app.hotKey.fix === "" ? view.app.hotKey.label + " em qualquer app grava. De novo, envia."
                                                 : "Grave pelo Quaro; o passo do atalho mostra como gravar de qualquer app."
            }
            PointRow { symbol: "lock"; tint: Brand.secondary; text: "A transcrição acontece no computador. O áudio não sai daqui." }
            PointRow { symbol: "tray.full"; tint: Brand.accent; text: "Cada recado tem estado: pendente, pego pela IA, resolvido." }
        }
        OnboardingMicrophone { app: view.app; microphone: view.microphone; desktop: view.desktop }
        OnboardingShortcut { app: view.app; desktop: view.desktop }
        OnboardingConnect { app: view.app; desktop: view.desktop; shown: view.step === 3 }
        OnboardingStep {
            title: "Pronto"
            text: "Agora é falar. Quando quiser, peça à IA."
            PointRow { symbol: "bubble.left"; text: "No Claude: \"o que tem no Quaro?\"" }
            PointRow { symbol: "arrow.uturn.backward"; tint: Brand.support; text: "A IA pega o recado, faz o que o destino pede e grava o resultado nele." }
            PointRow { symbol: "tray.2"; tint: Brand.secondary; text: "Destinos ficam em Ajustes › Destinos. Comece a fala com \"isso é pro…\"." }
            PointRow {
                objectName: "feedbackPoint"
                visible: view.app.updater.canSendFeedback
                symbol: "bubble.left.and.exclamationmark.bubble.right"
                tint: Brand.accent
                text: "Achou algo estranho? Quaro › Enviar feedback."
            }
        }
    }

    Item {
        id: bottomBar
        x: 36
        width: parent.width - 72
        height: 44
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 24

        InkButtonStyle {
            objectName: "back"
            visible: view.step >= 1
            fill: Brand.cream
            text: "Voltar"
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            onClicked: view.back()
        }
        InkButtonStyle {
            objectName: "forward"
            fill: Brand.primary
            text: view.step < view.steps - 1 ? "Continuar" : "Abrir a caixa"
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            onClicked: view.advance()
        }
    }
}
