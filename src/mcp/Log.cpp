#include "mcp/Log.h"

#include "core/StderrLog.h"

#include <string>

namespace quaro::mcp {

void log(std::string_view message)
{
    std::string line = "[quaro-mcp] ";
    line.append(message);
    logToStderr(line);
}

} // namespace quaro::mcp
