#include "nuvem/ServerLog.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace quaro::nuvem {

void serverLog(std::string_view text)
{
    static std::mutex lock;
    std::string line = "[quaro-nuvem] ";
    line += text;
    line += '\n';
    std::lock_guard guard(lock);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace quaro::nuvem
