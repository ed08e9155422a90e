#pragma once

#include <string_view>

namespace quaro {

// Writes `line` and a line feed to standard error in one write, so that the
// line stays whole when several threads or processes share the stream. The
// last resort of every diagnostic log when no handler was installed.
void logToStderr(std::string_view line);

} // namespace quaro
