#pragma once

#include "core/DatabaseError.h"
#include "core/Destino.h"
#include "core/QuaroStore.h"
#include "core/Result.h"
#include "mcp/ToolStore.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quaro::mcp {

// What a tool handler gets: the inbox, the call's arguments (always an
// object), the client name from `initialize`, and the destinos read at the
// start of the call.
struct ToolCall {
    ToolStore& store;
    const nlohmann::json& arguments;
    const std::optional<std::string>& clientName;
    const std::vector<Destino>& destinos;
};

// A tool result (text content or toolError) as compact JSON, or the store
// failure that interrupted the handler.
using ToolOutcome = Result<std::string, DatabaseError>;

// One tool: everything the client reads about it next to the code that runs it.
struct Tool {
    std::string_view name;
    std::string_view description;
    std::string_view inputSchema; // JSON Schema text
    ToolOutcome (*handler)(const ToolCall&);
};

// The six tools in the order tools/list shows them.
const std::vector<Tool>& toolCatalogue();

// [{name, description, inputSchema}, ...] for tools/list.
nlohmann::json toolDescriptors();

// Runs the named tool and gives its result object as compact JSON. Never
// fails: unknown tools, bad arguments and store failures come back as a tool
// result with isError true.
std::string callTool(std::string_view name, const nlohmann::json& arguments, ToolStore& store,
                     const std::optional<std::string>& clientName);
// The same over the local inbox.
std::string callTool(std::string_view name, const nlohmann::json& arguments, QuaroStore& store,
                     const std::optional<std::string>& clientName);

} // namespace quaro::mcp
