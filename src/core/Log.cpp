#include "core/Log.h"

#include "core/WriteAll.h"

#include <mutex>

#include <unistd.h>

namespace quaro {
namespace {

struct Sink {
    std::mutex mutex;
    std::string prefix = "[Quaro]";
    LogHandler handler;
};

// Never destroyed: threads still running at exit may log.
Sink& sink()
{
    static Sink* s = new Sink;
    return *s;
}

void emit(LogArea area, std::string_view context, std::string_view text)
{
    Sink& s = sink();
    std::lock_guard lock(s.mutex);
    std::string line = s.prefix;
    line += ' ';
    if (!context.empty()) {
        line += context;
        line += ": ";
    }
    line += text;
    if (s.handler) {
        s.handler(area, line);
        return;
    }
    line += '\n';
    // Nowhere left to report a failed write to.
    (void)writeAll(STDERR_FILENO, line);
}

} // namespace

void log(LogArea area, std::string_view text)
{
    emit(area, {}, text);
}

void log(LogArea area, std::string_view context, std::string_view text)
{
    emit(area, context, text);
}

void setLogPrefix(std::string_view prefix)
{
    std::lock_guard lock(sink().mutex);
    sink().prefix = prefix;
}

void setLogHandler(LogHandler handler)
{
    std::lock_guard lock(sink().mutex);
    sink().handler = std::move(handler);
}

} // namespace quaro
