#pragma once

namespace quaro::detail {

// whisper.cpp and ggml print progress and diagnostics to stderr; Quaro reports
// failures through its own errors instead. Safe to call from any thread.
void quietWhisperLogs();

} // namespace quaro::detail
