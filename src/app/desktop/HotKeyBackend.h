#pragma once

#include "app/state/HotKeyPreset.h"

#include <QString>

#include <functional>

namespace quaro {

// How a request for the global combination ended.
enum class HotKeyOutcome {
    bound,       // the combination (or the one the desktop chose instead) is ours
    taken,       // another program holds it
    unavailable, // this session offers no global shortcuts at all
    refused,     // the desktop said no
    cancelled,   // the user closed the desktop's confirmation dialog
};

struct HotKeyResult {
    HotKeyOutcome outcome = HotKeyOutcome::bound;
    // What the desktop bound, in its own words, when that differs from the
    // preset (the user may pick another combination in the portal's dialog).
    QString trigger;
    // The cause, in words for the log.
    QString detail;
};

// One windowing system's way of holding a global key combination. `HotKey`
// owns exactly one backend and calls it on the main thread only.
class HotKeyBackend {
public:
    virtual ~HotKeyBackend() = default;

    // Asks for the preset's combination for this application and reports
    // through `settled`, before returning when the answer is immediate (X11)
    // or on a later turn of the event loop (the desktop portal). A new
    // `grab` or a `release` drops any answer still outstanding.
    virtual void grab(HotKeyPreset preset) = 0;
    // Gives up the current combination, if any.
    virtual void release() = 0;

    // Called on the main thread, once per physical press (never for key
    // repeat), possibly from inside event dispatch.
    std::function<void()> pressed;
    std::function<void(const HotKeyResult&)> settled;
    // The desktop changed the bound combination later (its settings).
    std::function<void(const QString& trigger)> triggerChanged;
};

} // namespace quaro
