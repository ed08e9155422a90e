// Feeds arbitrary requests to quaro-nuvem's request handler over a private
// SQLite storage: the first byte picks the route, method and credentials,
// the rest is the body. Sync bodies that parse land in the storage, so
// later inputs meet accounts, recados and remote changes.
#include "nuvem/RequestHandler.h"
#include "nuvem/SqliteStorage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace {

const std::string secret = "fuzzfuzzfuzzfuzzfuzzfuzzfuzzfuzzfuzzfuzz123";

std::filesystem::path storageDir;
std::unique_ptr<quaro::nuvem::SqliteStorage> storage;
std::optional<quaro::nuvem::RequestHandler> handler;

void removeStorage()
{
    handler.reset();
    storage.reset();
    std::error_code ignored;
    std::filesystem::remove_all(storageDir, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quaro-nuvem-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    storageDir = pattern;
    auto opened = quaro::nuvem::SqliteStorage::open(storageDir / "nuvem.sqlite");
    if (!opened)
        std::abort();
    storage = std::move(opened).value();
    (void)storage->database().execute("PRAGMA synchronous=OFF;");
    // Limits no input reaches: throttling would hide the rest of the handler.
    handler.emplace(*storage, quaro::nuvem::RequestHandler::Limits{.failedAuthPerWindow = 1u << 30,
                                                                   .failedAuthWindow = std::chrono::seconds(1),
                                                                   .newAccountsPerHour = 1u << 30});
    std::atexit(removeStorage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t selector = data[0];
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    quaro::nuvem::HttpRequest request;
    request.peer = "127.0.0.1";
    request.authorization = "Bearer " + secret;
    switch (selector % 6) {
    case 0:
        request = {"POST", "/api/sync", request.authorization, "", rest, request.peer};
        break;
    case 1:
        request = {"POST", "/mcp/" + secret, "", selector & 0x40 ? "q436c61756465" : "", rest, request.peer};
        break;
    case 2: {
        // A fuzzed Authorization header, then the body.
        const auto newline = rest.find('\n');
        request = {"POST", "/api/sync", rest.substr(0, newline), "",
                   newline == std::string::npos ? std::string() : rest.substr(newline + 1), request.peer};
        break;
    }
    case 3:
        request = {"POST", rest.substr(0, 80), "", "", rest, request.peer};
        break;
    case 4:
        request = {"DELETE", "/api/account", selector & 0x40 ? request.authorization : rest, "", "", request.peer};
        break;
    default: {
        const auto part = [&](std::size_t from, std::size_t length) {
            return from < rest.size() ? rest.substr(from, length) : std::string();
        };
        request = {part(0, 8), "/mcp/" + part(8, 60), "", part(68, 40), rest, request.peer};
        break;
    }
    }
    const quaro::nuvem::HttpResponse response = handler->handle(request);
    if (response.status < 200 || response.status > 599)
        std::abort();
    return 0;
}
