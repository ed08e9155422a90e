#pragma once

#include "app/desktop/HotKeyBackend.h"
#include "app/state/HotKeyPreset.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace quaro {

// Where the global combination stands.
enum class HotKeyState {
    idle,        // nothing asked for (or given up)
    waiting,     // the desktop has not answered yet (its dialog may be open)
    working,
    taken,       // another program holds it
    unavailable, // no global shortcuts in this session
    refused,
    cancelled,   // the user closed the desktop's dialog
};

// The application's one global key combination. Picks the backend from the
// session (X11 grabs in an X11 session, the desktop portal's global
// shortcuts in a Wayland one, whatever Qt's own platform is) and calls
// `onPress` on the main thread, through a queued call, at each press.
// Owned by the application; main thread only; needs the QGuiApplication to
// exist for its whole life.
class HotKey : public QObject {
    Q_OBJECT
public:
    explicit HotKey(QObject* parent = nullptr);
    ~HotKey() override;

    // Drops the current combination, then asks for the preset's. Answers
    // where things stand right after asking: `working` or `taken` at once
    // under X11, `waiting` while the desktop portal decides, which it
    // reports later through `stateChanged`.
    HotKeyState registerPreset(HotKeyPreset preset);
    // Gives the combination up (the desktop runs `quaro --toggle` instead).
    void release();

    HotKeyState state() const { return m_state; }
    // The combination the desktop bound in words of its own, when it is not
    // the preset's; empty otherwise.
    QString boundTrigger() const { return m_boundTrigger; }
    QString lastFailure() const { return m_lastFailure; }

    // The latest value is the one called; nothing happens while it is empty.
    std::function<void()> onPress;

signals:
    void stateChanged();

private:
    void deliverPress();
    void settle(const HotKeyResult& result);
    void setState(HotKeyState state, const QString& boundTrigger);

    std::unique_ptr<HotKeyBackend> m_backend;
    HotKeyState m_state = HotKeyState::idle;
    QString m_boundTrigger;
    QString m_lastFailure;
};

} // namespace quaro
