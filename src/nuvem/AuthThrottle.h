#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quaro::nuvem {

// Counts failed authentications per client address in a fixed window and
// refuses an address that went past the limit until its window ends, so a
// link cannot be guessed by brute force. Any thread may call.
class AuthThrottle {
public:
    using Clock = std::chrono::steady_clock;

    AuthThrottle(std::size_t limit, Clock::duration window) : m_limit(limit), m_window(window) {}

    // Whether `peer` may try again now.
    bool allows(const std::string& peer, Clock::time_point now = Clock::now());
    void recordFailure(const std::string& peer, Clock::time_point now = Clock::now());

private:
    struct Window {
        Clock::time_point start;
        std::size_t failures = 0;
    };
    void forgetOld(Clock::time_point now);

    std::size_t m_limit;
    Clock::duration m_window;
    std::mutex m_lock;
    std::unordered_map<std::string, Window> m_windows;
};

} // namespace quaro::nuvem
