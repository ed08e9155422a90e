#pragma once

#include <functional>

namespace quaro {

// What the application state needs of cloud mode: whether it is on, and a
// way to push local changes soon. The cloud client implements it; until it
// exists, or while the user has it off, the state talks to a link whose
// `enabled()` is false. Main thread only.
class CloudLink {
public:
    virtual ~CloudLink() = default;

    virtual bool enabled() const = 0;
    // Starts a sync now, or marks one to run as soon as the running one ends.
    virtual void kick() = 0;

    // Set by the state: called on the main thread after a sync brought
    // changes made elsewhere into the inbox.
    std::function<void()> onRemoteChange;
};

// Cloud mode off: nothing to kick.
class OfflineCloudLink final : public CloudLink {
public:
    bool enabled() const override { return false; }
    void kick() override {}
};

} // namespace quaro
