#pragma once

#include <QString>

#include <nlohmann/json.hpp>

namespace quaro {

// The entry that tells an MCP client how to start quaro-mcp: the server's
// absolute path and no arguments, nothing else. Written under "quaro" in
// every client's `mcpServers`.
nlohmann::json mcpServerEntry(const QString& serverPath);
// {"mcpServers": {"quaro": <entry>}}
nlohmann::json mcpConfiguration(const QString& serverPath);

} // namespace quaro
