#pragma once

#include <QQuickView>
#include <QRect>

class QQmlEngine;

namespace quaro {

class AppActions;
class AppState;
class MicrophoneChoice;

// The tray panel: a frameless popup holding the QML MenuBarView, placed
// against the tray icon (or the cursor) and kept on screen. It reloads the
// inbox before it shows, holds the pointer while open so that a click
// anywhere else closes it, and closes on Esc. Main thread; the state, the
// actions and the microphone choice outlive it.
class MenuBarPanel : public QQuickView {
    Q_OBJECT
public:
    MenuBarPanel(QQmlEngine* engine, AppState& state, AppActions& actions, MicrophoneChoice& microphone);

    // Opens against `anchor` (the tray icon's screen rectangle; empty when
    // the tray does not tell, and the cursor stands in), or closes when open.
    void toggle(const QRect& anchor);
    void open(const QRect& anchor);
    void close();

    // Where a panel of `size` goes: centred under the anchor, above it when
    // there is no room below, always inside `screen`.
    static QPoint placement(const QRect& anchor, const QSize& size, const QRect& screen);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    AppState& m_state;
    bool m_asWindow = false;
};

} // namespace quaro
