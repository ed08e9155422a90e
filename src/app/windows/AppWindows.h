#pragma once

#include "app/windows/AppWindow.h"

namespace quaro {

class AppState;
class DesktopBridge;
class MicrophoneChoice;

// The windows over the QML views that take the application's state, the
// microphone choice and the desktop bridge; all three must outlive them.

// The settings window ("Ajustes do Quaro"): the QML SettingsView over the
// application's state, 820 × 640, on the tab `preferences.settingsTab` names.
AppWindowConfig settingsWindowConfig(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop);

// The first-run window ("Boas-vindas ao Quaro") with the five steps of the QML
// OnboardingView. Finishing stores onboardingDone (the view does), closes the
// window and calls its `onFinish`; closing it any other way stores nothing, so
// it opens again at the next start.
AppWindowConfig onboardingWindowConfig(AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop);

} // namespace quaro
