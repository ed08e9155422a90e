#pragma once

#include "app/HotKeyPreset.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace quaro {

class HotKeyBackend;

// The application's one global key combination. Picks the windowing system's
// backend when created (X11 grabs under xcb, the desktop portal's global
// shortcuts under Wayland) and calls `onPress` on the main thread, through a
// queued call, at each press. Owned by the application; main thread only;
// needs the QGuiApplication to exist for its whole life.
class HotKey : public QObject {
    Q_OBJECT
public:
    explicit HotKey(QObject* parent = nullptr);
    ~HotKey() override;

    // Drops the current combination, then takes the preset's. True when the
    // system gave it to us; on false nothing is registered any more and
    // `lastFailure()` says why.
    bool registerPreset(HotKeyPreset preset);
    QString lastFailure() const { return m_lastFailure; }

    // The latest value is the one called; nothing happens while it is empty.
    std::function<void()> onPress;

private:
    void deliverPress();

    std::unique_ptr<HotKeyBackend> m_backend;
    QString m_lastFailure;
};

} // namespace quaro
