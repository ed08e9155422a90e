#pragma once

#include <functional>
#include <string>
#include <string_view>

#ifdef QT_CORE_LIB
#include <QString>
#endif

namespace quaro {

// Where a diagnostic line comes from. Handlers may route or filter by it.
enum class LogArea { app, capture, conversion, speech, cloud, mcp, server };

// Diagnostic lines, never shown to the user: "<prefix> <text>", or
// "<prefix> <context>: <text>", written to standard error in one write so a
// line stays whole when threads or processes share the stream. Any thread.
void log(LogArea area, std::string_view text);
void log(LogArea area, std::string_view context, std::string_view text);

#ifdef QT_CORE_LIB
inline void log(LogArea area, const QString& context, const QString& text)
{
    log(area, context.toStdString(), text.toStdString());
}
#endif

// The program's name on its lines, set once at the top of main: "[Quaro]"
// (also the default), "[quaro-mcp]", "[quaro-nuvem]".
void setLogPrefix(std::string_view prefix);

// Where lines go instead of standard error (tests capture them); empty
// restores standard error. The handler gets the whole line without its line
// feed, one line at a time, on the logging thread.
using LogHandler = std::function<void(LogArea area, const std::string& line)>;
void setLogHandler(LogHandler handler);

} // namespace quaro
