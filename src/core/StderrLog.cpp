#include "core/StderrLog.h"

#include "core/WriteAll.h"

#include <string>

#include <unistd.h>

namespace quaro {

void logToStderr(std::string_view line)
{
    std::string text;
    text.reserve(line.size() + 1);
    text.append(line);
    text.push_back('\n');
    // Nowhere left to report a failed write to.
    (void)writeAll(STDERR_FILENO, text);
}

} // namespace quaro
