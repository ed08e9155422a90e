#pragma once

#include <QQuickView>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class QQmlEngine;

namespace quaro {

class AppState;
class DesktopBridge;

// The inbox window: a regular, resizable window holding the QML InboxView
// with its menu bar, created once and kept when closed. It remembers where
// it was and how large, and gives the view what QML cannot do alone (the
// clipboard, a file chooser, opening a web chat). Without a tray the window
// is how the user reaches Quaro, so closing it only minimises it. Main
// thread; the state outlives it.
class InboxWindow : public QQuickView {
    Q_OBJECT
    Q_PROPERTY(bool trayMissing READ trayMissing CONSTANT)
public:
    static const QString geometryKey;
    static const QString trayMissingToldKey;
    static constexpr int defaultWidth = 1180;
    static constexpr int defaultHeight = 740;
    static constexpr int minimumWidth = 900;
    static constexpr int minimumHeight = 560;

    InboxWindow(QQmlEngine* engine, AppState& state, DesktopBridge& desktop, bool trayMissing);
    ~InboxWindow() override;

    bool trayMissing() const { return m_trayMissing; }

    // Reloads the lists, shows the window (where it last was, or centred)
    // and brings it to the front.
    void open();

    Q_INVOKABLE void copyText(const QString& text);
    // Lets the user pick audio files and imports them.
    Q_INVOKABLE void chooseAudioToImport();
    // "claude" or "chatgpt": the web chat opened on the request to take
    // this recado.
    Q_INVOKABLE void openInChat(const QString& service, const QString& recadoID, const QString& title);
    Q_INVOKABLE bool fileExists(const QString& path) const;
    Q_INVOKABLE void minimize() { showMinimized(); }
    Q_INVOKABLE void closeWindow() { close(); }
    // True the first time ever that the inbox stands in for a missing tray
    // (kept across starts): the one time the user is told why.
    Q_INVOKABLE bool claimTrayMissingNotice();
    // "Ocultar o Quaro": out of sight, or into the task bar when there is no
    // tray to come back from.
    Q_INVOKABLE void hideQuaro();

    // How long the window shows a notice after it was last said; a notice
    // that repeats the same text starts the wait over.
    int noticeHoldMs = 6000;

    // The web chats; tests point them at the loopback and catch the opening.
    QString claudeWebAddress;
    QString chatGptAddress;
    std::function<void(const QUrl&)> openUrl;

signals:
    // Menu items the delegate answers.
    void toggleRecordingRequested();
    void openInboxRequested();
    void openSettingsRequested();
    void openOnboardingRequested();
    void quitRequested();

protected:
    bool event(QEvent* event) override;

private:
    void holdNotice();
    void restoreGeometry();
    void saveGeometry();

    AppState& m_state;
    DesktopBridge& m_desktop;
    bool m_trayMissing = false;
    bool m_placed = false;
    QTimer m_noticeTimer;
    QString m_heldNotice;
};

} // namespace quaro
