#pragma once

#include <string_view>

namespace quaro::mcp {

// Writes "[quaro-mcp] <message>\n" to standard error in one write. Standard
// output belongs to the JSON-RPC replies alone.
void log(std::string_view message);

} // namespace quaro::mcp
