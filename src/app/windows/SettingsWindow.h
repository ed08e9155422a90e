#pragma once

#include "app/windows/AppWindow.h"

namespace quaro {

class AppState;
class DesktopBridge;
class MicrophoneChoice;

// The settings window ("Ajustes do Quaro"): the QML SettingsView over the
// application's state, 820 × 640, on the tab `preferences.settingsTab`
// names. Created once by the delegate and kept; main thread; the state, the
// microphone choice and the bridge outlive it.
class SettingsWindow : public AppWindow {
    Q_OBJECT
public:
    static const QString geometryKey; // "settingsWindow.geometry"

    SettingsWindow(QQmlEngine* engine, AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop);
};

} // namespace quaro
