#pragma once

#include "app/windows/AppWindow.h"

#include <functional>

namespace quaro {

class AppState;
class DesktopBridge;
class MicrophoneChoice;

// The first-run window ("Boas-vindas ao Quaro") with the five steps of the
// QML OnboardingView. Finishing stores onboardingDone (the view does), closes
// the window and calls `onFinish`; closing it any other way stores nothing,
// so it opens again at the next start. Created once and kept, so reopening
// shows the step the user left. Main thread; the state, the microphone
// choice and the bridge outlive it.
class OnboardingWindow : public AppWindow {
    Q_OBJECT
public:
    static const QString geometryKey; // "onboardingWindow.geometry"

    OnboardingWindow(QQmlEngine* engine, AppState& state, MicrophoneChoice& microphone, DesktopBridge& desktop);

    // The delegate opens the inbox.
    std::function<void()> onFinish;

private slots:
    void finish();
};

} // namespace quaro
