#pragma once

#include <QDateTime>

#include <optional>

namespace quaro {

// Where automatic mode keeps its three preferences ("autoEnabled",
// "autoInterval", "autoLastRun"); the application hands in its own
// preference store.
class AutoModePreferences {
public:
    virtual ~AutoModePreferences() = default;
    virtual bool enabled() const = 0;
    virtual void setEnabled(bool on) = 0;
    // 60 when absent or unreadable.
    virtual int intervalMinutes() const = 0;
    virtual void setIntervalMinutes(int minutes) = 0;
    virtual std::optional<QDateTime> lastRun() const = 0;
    virtual void setLastRun(const QDateTime& when) = 0;
};

} // namespace quaro
