#include "connect/McpServerEntry.h"

namespace quaro {

nlohmann::json mcpServerEntry(const QString& serverPath)
{
    return {{"command", serverPath.toStdString()}, {"args", nlohmann::json::array()}};
}

nlohmann::json mcpConfiguration(const QString& serverPath)
{
    return {{"mcpServers", {{"quaro", mcpServerEntry(serverPath)}}}};
}

} // namespace quaro
