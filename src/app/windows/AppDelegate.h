#pragma once

#include "app/capture/MicrophoneChoice.h"
#include "app/desktop/AppService.h"
#include "app/desktop/DesktopBridge.h"
#include "app/desktop/HotKey.h"
#include "app/desktop/Nudge.h"
#include "app/windows/AppActions.h"
#include "app/windows/AppState.h"
#include "app/windows/AppWindow.h"
#include "app/windows/InboxWindow.h"
#include "app/windows/MenuBarPanel.h"
#include "app/windows/TrayIcon.h"
#include "app/windows/WidgetController.h"

#include <QObject>
#include <QQmlEngine>
#include <QStringList>

#include <memory>

namespace quaro {

// The composition root of the running application: builds the state, the
// tray icon, the notification handler and the hot key in the start-up
// order, answers the application's D-Bus service, and imports files opened
// with Quaro. One per process, on the main thread.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(AppService& service, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Runs the start-up. False when Quaro cannot run (the inbox could not be
    // opened; the user has been told) and the process should end.
    // `primary` says this is the single running instance.
    bool start(bool primary, const QStringList& openedFiles);

    // Audio files opened with Quaro: imported into the inbox.
    void openFiles(const QStringList& files);
    // The one rule behind the hot key, the tray and `quaro --toggle`: stop
    // and send while recording, else start.
    void toggleRecording();
    void openInbox();
    void openSettings();
    void openOnboarding();
    // The tray's panel, at the cursor: for desktops without a tray.
    void openPanel();
    void quit();

    AppState* state() { return m_state.get(); }
    MenuBarPanel* panel() { return m_panel.get(); }
    WidgetController* widget() { return m_widget.get(); }
    InboxWindow* inboxWindow() { return m_inbox.get(); }

private:
    void applyLightAppearance();
    void configureNudge();
    void serve();
    void registerHotKey();
    void hotKeySettled();
    void createViews();
    // Names of the windows on screen ("inbox", "settings", "onboarding",
    // "panel", "widget"), for State().
    QStringList openWindows() const;
    // The inbox window, built on first need and kept.
    InboxWindow* prepareInbox();

    AppService& m_service;
    std::unique_ptr<AppState> m_state;
    std::unique_ptr<TrayIcon> m_tray;
    AppActions m_actions;
    // The views share one QML engine; they go before it, and before the
    // state they show.
    std::unique_ptr<QQmlEngine> m_qml;
    std::unique_ptr<MicrophoneChoice> m_microphone;
    std::unique_ptr<MenuBarPanel> m_panel;
    std::unique_ptr<WidgetController> m_widget;
    std::unique_ptr<DesktopBridge> m_desktop;
    // Created when first opened, kept when closed.
    std::unique_ptr<AppWindow> m_settings;
    std::unique_ptr<AppWindow> m_onboarding;
    std::unique_ptr<InboxWindow> m_inbox;
    // No tray on this desktop: the inbox window stands in for it.
    bool m_trayMissing = false;
    HotKey m_hotKey;
    Nudge m_nudge;
    QStringList m_pendingFiles;
};

} // namespace quaro
