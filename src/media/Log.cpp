#include "media/Log.h"

#include "core/StderrLog.h"

#include <mutex>

namespace quaro::media {
namespace {
std::mutex g_mutex;
std::function<void(const std::string&)>& handler()
{
    static std::function<void(const std::string&)> h;
    return h;
}
} // namespace

void logLine(const std::string& line)
{
    std::lock_guard lock(g_mutex);
    if (handler()) {
        handler()(line);
        return;
    }
    logToStderr(line);
}

void setLogHandler(std::function<void(const std::string&)> h)
{
    std::lock_guard lock(g_mutex);
    handler() = std::move(h);
}

} // namespace quaro::media
