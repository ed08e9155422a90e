#include "core/Timestamp.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace quaro {

Timestamp currentTimestamp()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::string iso8601(Timestamp seconds)
{
    double whole = std::isfinite(seconds) ? std::floor(seconds) : 0.0;
    // Keep within what time_t and a four-digit year can show.
    whole = std::fmax(-62135596800.0, std::fmin(whole, 253402300799.0));
    const std::time_t t = static_cast<std::time_t>(whole);
    std::tm parts{};
    gmtime_r(&t, &parts);
    // Digits written by hand: this runs for every recado an MCP client lists.
    char buffer[] = "0000-00-00T00:00:00Z";
    const auto put = [&](int at, int value, int width) {
        for (int i = at + width - 1; i >= at; --i, value /= 10)
            buffer[i] = static_cast<char>('0' + value % 10);
    };
    put(0, parts.tm_year + 1900, 4);
    put(5, parts.tm_mon + 1, 2);
    put(8, parts.tm_mday, 2);
    put(11, parts.tm_hour, 2);
    put(14, parts.tm_min, 2);
    put(17, parts.tm_sec, 2);
    return buffer;
}

} // namespace quaro
