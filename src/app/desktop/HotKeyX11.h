#pragma once

#include "app/desktop/HotKeyBackend.h"
#include "core/Result.h"

#include <QAbstractNativeEventFilter>

#include <cstdint>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace quaro {

// Global hot key on X11: passive grabs of the combination on the root window
// of Qt's own connection, one per state of the lock modifiers (Caps Lock,
// Num Lock, both), and a native event filter that reads the grabbed presses.
// Key repeat, whether XKB-detectable or the classic release/press pairs with
// one timestamp, never counts as a new press. Main thread only.
class HotKeyX11 final : public HotKeyBackend, public QAbstractNativeEventFilter {
public:
    // Null, with the cause in `failure`, when Qt runs without an X connection.
    static std::unique_ptr<HotKeyX11> create(QString& failure);
    HotKeyX11(xcb_connection_t* connection, std::uint32_t root);
    ~HotKeyX11() override;

    void grab(HotKeyPreset preset) override;
    void release() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Grab;
    Result<void, QString> take(HotKeyPreset preset);
    std::vector<std::uint8_t> keycodes(std::uint32_t keysym) const;
    std::uint16_t numLockMask() const;
    bool handleKey(bool press, std::uint8_t keycode, std::uint16_t state, std::uint32_t time);

    xcb_connection_t* m_connection;
    std::uint32_t m_root;
    std::unique_ptr<Grab> m_grab;
    bool m_held = false;
    std::uint32_t m_lastRelease = 0;
};

} // namespace quaro
