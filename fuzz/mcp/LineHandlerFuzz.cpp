// Feeds arbitrary bytes, line by line, to the JSON-RPC line handler of
// quaro-mcp over a private inbox that holds recados in every status.
#include "core/QuaroStore.h"
#include "mcp/McpServer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::filesystem::path inboxDir;
std::optional<quaro::QuaroStore> store;
std::optional<quaro::mcp::McpServer> server;

void removeInbox()
{
    server.reset();
    store.reset();
    std::error_code ignored;
    std::filesystem::remove_all(inboxDir, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quaro-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    inboxDir = pattern;
    auto opened = quaro::QuaroStore::open(inboxDir / "quaro.sqlite");
    if (!opened)
        std::abort();
    store.emplace(std::move(opened).value());
    // Durability is beside the point here; speed is not.
    (void)store->database().execute("PRAGMA synchronous=OFF;");

    // Short, guessable ids ("R0" ... "R9", also in the dictionary) so that
    // claims and resolutions reach real rows in every status.
    const auto destinos = store->destinos();
    for (int i = 0; i < 10; ++i) {
        quaro::Recado recado;
        recado.id = "R" + std::to_string(i);
        recado.createdAt = 1750000000.0 + i;
        recado.duration = i * 0.75;
        recado.transcript = "fala número " + std::to_string(i);
        recado.title = "Recado " + std::to_string(i);
        recado.status = quaro::allRecadoStatuses[static_cast<std::size_t>(i) % quaro::allRecadoStatuses.size()];
        if (destinos && !destinos->empty() && i % 3 != 0)
            recado.destinoID = (*destinos)[static_cast<std::size_t>(i) % destinos->size()].id;
        if (i % 4 == 0)
            recado.language = "pt-BR";
        (void)store->insert(recado);
    }
    server.emplace(*store);
    std::atexit(removeInbox);
    return 0;
}

// Raw input rarely forms a valid tools/call, so most inputs pick a tool with
// their first byte and supply only its arguments; the rest are raw lines.
constexpr std::string_view toolNames[] = {"inbox_list", "recado_get", "recado_claim", "recado_resolve",
                                          "search",     "destinos_list", "desconhecida"};

void checkedLine(std::string_view line)
{
    if (auto reply = server->handleLine(line)) {
        // Every reply is one line holding one JSON object.
        if (reply->find('\n') != std::string::npos || reply->empty() || reply->front() != '{' ||
            reply->back() != '}')
            std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0] % 10;
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (mode < std::size(toolNames)) {
        std::string line = R"({"jsonrpc":"2.0","id":1,"method":"tools/call","params":{"name":")";
        line += toolNames[mode];
        line += R"(","arguments":)";
        line += input;
        line += "}}";
        checkedLine(line);
        return 0;
    }
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        checkedLine(line);
        if (end == std::string_view::npos)
            break;
        input.remove_prefix(end + 1);
    }
    return 0;
}
