#pragma once

#include <QString>

namespace quaro {

// The single-instance rule where no session bus can carry it: an exclusive
// flock(2) on "quaro.lock" in the user's runtime folder. The kernel drops the
// lock when the process ends, however it ends, so a crash leaves nothing
// stale behind; the descriptor is not inherited by child processes. Held
// until the object goes. Main thread.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Outcome {
        locked,        // this process holds it (or already did)
        heldElsewhere, // another process holds it
        unavailable,   // the runtime folder cannot be written: no protection
    };

    Outcome tryLock();
    static QString path();

private:
    int m_fd = -1;
};

} // namespace quaro
