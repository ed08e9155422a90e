#pragma once

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

namespace quaro {

class AppState;

// The tray icon and its menu: the drawn glyph (idle, pending, and animated
// while recording); a click asks for the panel, and the context menu keeps
// the quick actions — record or stop, open the inbox, microphone and destino
// choices, the widget switch, settings, quit. The menu is rebuilt from the
// state whenever it is about to show and whenever what it shows changes.
// Main thread only; the state outlives it.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(AppState& state, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Says, in the menu and once per problem as a balloon, that the hot key
    // is not ours and what fixes it.
    void tellHotKeyUnavailable(const QString& why);

signals:
    // The icon was clicked; `anchor` is its place on screen, empty when the
    // tray does not tell.
    void panelRequested(const QRect& anchor);
    void toggleRecordingRequested();
    void openInboxRequested();
    void openSettingsRequested();
    void quitRequested();

private:
    void rebuildMenu();
    void addHotKeyHelp();
    void addMicrophoneMenu();
    void addDestinoMenu();
    void refreshIcon();
    void drawRecordingFrame();

    AppState& m_state;
    QSystemTrayIcon m_icon;
    QMenu m_menu;
    QTimer m_animation;
    QString m_toldProblem;
};

} // namespace quaro
