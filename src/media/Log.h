#pragma once

#include <functional>
#include <string>

namespace quaro::media {

// Diagnostic lines of the audio engines ("[Quaro] ..."), never shown to the
// user. They go to standard error unless a handler is installed (the
// application routes them to its log; tests capture them).
void logLine(const std::string& line);
void setLogHandler(std::function<void(const std::string&)> handler);

} // namespace quaro::media
