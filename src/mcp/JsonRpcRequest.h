#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace quaro::mcp {

// One JSON-RPC message read from a line.
struct JsonRpcRequest {
    // The top-level object as parsed.
    nlohmann::json message;
    // The id as JSON text to echo in the reply, exactly as the client wrote
    // it (a number keeps its spelling: 1.50, 1e3, 123456789012345678901234).
    // Absent for a notification (no id, or a null id).
    std::optional<std::string> id;
};

// Parses one line. Absent when the text is not JSON, or is JSON but not an
// object (arrays, batches and bare values are not messages), or nests deeper
// than any message needs.
std::optional<JsonRpcRequest> parseJsonRpcRequest(std::string_view text);

} // namespace quaro::mcp
