#include "app/windows/SettingsWindow.h"

#include "app/capture/MicrophoneChoice.h"
#include "app/desktop/DesktopBridge.h"
#include "app/windows/AppState.h"

namespace quaro {

const QString SettingsWindow::geometryKey = QStringLiteral("settingsWindow.geometry");

namespace {

AppWindowConfig settingsConfig(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop)
{
    return {.title = QStringLiteral("Ajustes do Quaro"),
            .size = QSize(820, 640),
            .minimum = QSize(820, 640),
            .geometryKey = SettingsWindow::geometryKey,
            .source = QUrl(QStringLiteral("qrc:/qt/qml/Quaro/Ui/SettingsView.qml")),
            .properties = {{QStringLiteral("app"), QVariant::fromValue(&state)},
                           {QStringLiteral("microphone"), QVariant::fromValue(&microphone)},
                           {QStringLiteral("desktop"), QVariant::fromValue(&desktop)}}};
}

} // namespace

SettingsWindow::SettingsWindow(QQmlEngine* engine, AppState& state, MicrophoneChoice& microphone,
                               DesktopBridge& desktop)
    : AppWindow(engine, *state.preferences(), settingsConfig(state, microphone, desktop))
{
}

} // namespace quaro
