#pragma once

#include "core/QuaroStore.h"
#include "core/Version.h"
#include "mcp/ToolStore.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quaro::mcp {

// The JSON-RPC side of quaro-mcp: turns one input line into at most one reply
// line. Holds the client name that `initialize` sets; everything else is read
// from the store on every call. Not thread-safe; one line at a time.
class McpServer {
public:
    static constexpr std::string_view version = quaro::version;
    static constexpr std::string_view defaultProtocolVersion = "2025-06-18";

    explicit McpServer(QuaroStore& store);
    // Serves the tools over another inbox (a cloud account's copy).
    explicit McpServer(ToolStore& tools);
    ~McpServer();

    // `line` comes without its line terminator. Returns the compact JSON
    // reply (without the line feed), or absent when the line gets no reply:
    // blank lines, text that is not a JSON object, and notifications.
    std::optional<std::string> handleLine(std::string_view line);

    // The name the last `initialize` gave in clientInfo; an empty name counts.
    const std::optional<std::string>& clientName() const { return m_clientName; }
    // For transports without a lasting connection, which carry the name
    // from one request to the next themselves.
    void setClientName(std::optional<std::string> name) { m_clientName = std::move(name); }

private:
    struct Reply;
    Reply dispatch(const std::string& method, const nlohmann::json& params);
    nlohmann::json initialize(const nlohmann::json& params);

    std::unique_ptr<ToolStore> m_ownTools; // when built over the local store
    ToolStore& m_tools;
    std::optional<std::string> m_clientName;
    // {"tools": [...]} as compact JSON, built once, at the first tools/list:
    // a server that is only asked to call tools never pays for it.
    std::optional<std::string> m_toolList;
};

} // namespace quaro::mcp
