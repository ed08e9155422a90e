#include "nuvem/AuthThrottle.h"

namespace quaro::nuvem {

bool AuthThrottle::allows(const std::string& key, Clock::time_point now)
{
    std::lock_guard guard(m_lock);
    const auto found = m_windows.find(key);
    if (found == m_windows.end())
        return true;
    if (now - found->second->start >= m_window) {
        m_order.erase(found->second);
        m_windows.erase(found);
        return true;
    }
    return found->second->failures < m_limit;
}

void AuthThrottle::record(const std::string& key, Clock::time_point now)
{
    std::lock_guard guard(m_lock);
    auto found = m_windows.find(key);
    if (found == m_windows.end()) {
        if (m_windows.size() >= m_capacity) {
            m_windows.erase(m_order.back().key);
            m_order.pop_back();
        }
        m_order.push_front(Window{key, now, 0});
        found = m_windows.emplace(key, m_order.begin()).first;
    } else {
        m_order.splice(m_order.begin(), m_order, found->second);
    }
    Window& window = *found->second;
    if (now - window.start >= m_window) {
        window.start = now;
        window.failures = 0;
    }
    ++window.failures;
}

std::size_t AuthThrottle::size()
{
    std::lock_guard guard(m_lock);
    return m_windows.size();
}

} // namespace quaro::nuvem
