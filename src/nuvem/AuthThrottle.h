#pragma once

#include <chrono>
#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quaro::nuvem {

// Counts events per client address in a fixed window (failed
// authentications, accounts opened), so that an address past the limit is
// refused until its window ends. Only
// failures count, and the caller checks a link before asking: a valid link
// is served whatever its address did. Memory stays bounded under a flood of
// addresses by dropping the address that failed least recently, one at a
// time, never the whole table. Any thread may call.
class AuthThrottle {
public:
    using Clock = std::chrono::steady_clock;

    AuthThrottle(std::size_t limit, Clock::duration window, std::size_t capacity = 100000)
        : m_limit(limit), m_window(window), m_capacity(capacity == 0 ? 1 : capacity)
    {
    }

    // Whether `key` may try again now.
    bool allows(const std::string& key, Clock::time_point now = Clock::now());
    void record(const std::string& key, Clock::time_point now = Clock::now());
    std::size_t size();

private:
    struct Window {
        std::string key;
        Clock::time_point start;
        std::size_t failures = 0;
    };
    using Order = std::list<Window>; // most recent failure first

    std::size_t m_limit;
    Clock::duration m_window;
    std::size_t m_capacity;
    std::mutex m_lock;
    Order m_order;
    std::unordered_map<std::string, Order::iterator> m_windows;
};

} // namespace quaro::nuvem
