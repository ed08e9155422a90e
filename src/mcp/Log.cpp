#include "mcp/Log.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace quaro::mcp {

void log(std::string_view message)
{
    std::string line = "[quaro-mcp] ";
    line.append(message);
    line.push_back('\n');
    // One write keeps the line whole when several processes share stderr.
    const char* data = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

} // namespace quaro::mcp
