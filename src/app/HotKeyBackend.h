#pragma once

#include "app/HotKeyPreset.h"
#include "core/Result.h"

#include <QString>

#include <functional>

namespace quaro {

// One windowing system's way of holding a global key combination. `HotKey`
// owns exactly one backend and calls it on the main thread only.
class HotKeyBackend {
public:
    virtual ~HotKeyBackend() = default;

    // Takes the preset's combination for this application; on failure the
    // cause, in words for the log, and nothing is held.
    virtual Result<void, QString> grab(HotKeyPreset preset) = 0;
    // Gives up the current combination, if any.
    virtual void release() = 0;

    // Called on the main thread, once per physical press (never for key
    // repeat), possibly from inside event dispatch.
    std::function<void()> pressed;
};

} // namespace quaro
