#include "app/windows/OnboardingWindow.h"

#include "app/capture/MicrophoneChoice.h"
#include "app/desktop/DesktopBridge.h"
#include "app/windows/AppState.h"

#include <QQuickItem>

namespace quaro {

const QString OnboardingWindow::geometryKey = QStringLiteral("onboardingWindow.geometry");

namespace {

AppWindowConfig onboardingConfig(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop)
{
    return {.title = QStringLiteral("Boas-vindas ao Quaro"),
            .size = QSize(620, 560),
            .minimum = QSize(560, 520),
            .geometryKey = OnboardingWindow::geometryKey,
            .source = QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/OnboardingView.qml")),
            .properties = {{QStringLiteral("app"), QVariant::fromValue(&state)},
                           {QStringLiteral("microphone"), QVariant::fromValue(&microphone)},
                           {QStringLiteral("desktop"), QVariant::fromValue(&desktop)},
                           {QStringLiteral("steps"), 5}}};
}

} // namespace

OnboardingWindow::OnboardingWindow(QQmlEngine* engine, AppState& state, MicrophoneChoice& microphone,
                                   DesktopBridge& desktop)
    : AppWindow(engine, *state.preferences(), onboardingConfig(state, microphone, desktop))
{
    if (rootObject())
        connect(rootObject(), SIGNAL(finished()), this, SLOT(finish()));
}

void OnboardingWindow::finish()
{
    close();
    if (onFinish)
        onFinish();
}

} // namespace quaro
