#pragma once

#include <QString>

namespace quaro {

// A length in seconds as the interface prints it: whole seconds (rounded
// down, never negative) as "%d:%02d" minutes and seconds, the minutes
// unpadded and unbounded: 65 -> "1:05", 3725 -> "62:05".
QString formatDuration(double seconds);

} // namespace quaro
