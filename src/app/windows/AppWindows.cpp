#include "app/windows/AppWindows.h"

#include "app/capture/MicrophoneChoice.h"
#include "app/desktop/DesktopBridge.h"
#include "app/windows/AppState.h"

namespace quaro {

namespace {

QVariantMap viewProperties(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop)
{
    return {{QStringLiteral("app"), QVariant::fromValue(&state)},
            {QStringLiteral("microphone"), QVariant::fromValue(&microphone)},
            {QStringLiteral("desktop"), QVariant::fromValue(&desktop)}};
}

} // namespace

AppWindowConfig settingsWindowConfig(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop)
{
    return {.title = QStringLiteral("Ajustes do Quaro"),
            .size = QSize(820, 640),
            .minimum = QSize(820, 640),
            .geometryKey = QStringLiteral("settingsWindow.geometry"),
            .source = QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/SettingsView.qml")),
            .properties = viewProperties(state, microphone, desktop)};
}

AppWindowConfig onboardingWindowConfig(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop)
{
    QVariantMap properties = viewProperties(state, microphone, desktop);
    properties.insert(QStringLiteral("steps"), 5);
    return {.title = QStringLiteral("Boas-vindas ao Quaro"),
            .size = QSize(620, 560),
            .minimum = QSize(560, 520),
            .geometryKey = QStringLiteral("onboardingWindow.geometry"),
            .source = QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/OnboardingView.qml")),
            .properties = properties,
            .finishes = true};
}

} // namespace quaro
