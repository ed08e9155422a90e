#include "app/state/FormatDuration.h"

#include <cmath>
#include <cstdint>

namespace quaro {

QString formatDuration(double seconds)
{
    // NaN and negative lengths (a clock step, a broken file) show as zero;
    // the cap keeps the conversion to an integer defined.
    constexpr double longest = 1e15;
    const double clamped = std::isnan(seconds) ? 0 : std::fmin(std::fmax(std::floor(seconds), 0.0), longest);
    const auto whole = static_cast<std::int64_t>(clamped);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace quaro
