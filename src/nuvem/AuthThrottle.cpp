#include "nuvem/AuthThrottle.h"

namespace quaro::nuvem {

bool AuthThrottle::allows(const std::string& peer, Clock::time_point now)
{
    std::lock_guard guard(m_lock);
    const auto found = m_windows.find(peer);
    if (found == m_windows.end())
        return true;
    if (now - found->second.start >= m_window) {
        m_windows.erase(found);
        return true;
    }
    return found->second.failures < m_limit;
}

void AuthThrottle::recordFailure(const std::string& peer, Clock::time_point now)
{
    std::lock_guard guard(m_lock);
    // Bounded memory under a flood of addresses: old windows go first.
    if (m_windows.size() > 100000)
        forgetOld(now);
    Window& window = m_windows[peer];
    if (window.failures == 0 || now - window.start >= m_window) {
        window.start = now;
        window.failures = 0;
    }
    ++window.failures;
}

void AuthThrottle::forgetOld(Clock::time_point now)
{
    for (auto it = m_windows.begin(); it != m_windows.end();)
        it = now - it->second.start >= m_window ? m_windows.erase(it) : std::next(it);
    if (m_windows.size() > 100000)
        m_windows.clear();
}

} // namespace quaro::nuvem
