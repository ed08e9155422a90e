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
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buffer;
}

} // namespace quaro
