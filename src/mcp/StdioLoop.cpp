#include "mcp/StdioLoop.h"

#include "core/WriteAll.h"
#include "mcp/McpServer.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

namespace quaro::mcp {
namespace {

void answer(McpServer& server, std::string_view line, int output)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::optional<std::string> reply = server.handleLine(line);
    if (!reply)
        return;
    // Envelope and line feed in one write, so a reply is never seen half-way.
    reply->push_back('\n');
    // A client that closed its end of the pipe reads nothing more anyway,
    // and the loop ends at its EOF: a failed write is not worth reporting.
    (void)writeAll(output, *reply);
}

} // namespace

int serveLines(McpServer& server, int input, int output)
{
    std::string buffer;
    std::size_t start = 0;   // first byte not yet handled
    std::size_t scanned = 0; // no line feed in [start, scanned)
    for (;;) {
        // Answer every complete line already buffered before reading more.
        for (;;) {
            const void* found = std::memchr(buffer.data() + scanned, '\n', buffer.size() - scanned);
            if (!found) {
                scanned = buffer.size();
                break;
            }
            const std::size_t end = static_cast<std::size_t>(static_cast<const char*>(found) - buffer.data());
            answer(server, std::string_view(buffer).substr(start, end - start), output);
            start = scanned = end + 1;
        }
        if (start > 0 && start >= buffer.size() / 2) {
            buffer.erase(0, start);
            scanned -= start;
            start = 0;
        }

        // Read into a stack chunk: the kernel touches only the bytes it
        // delivers, where growing the string first would zero-fill (and
        // fault in) the whole chunk on every read.
        char chunk[64 * 1024];
        ssize_t got;
        do {
            got = ::read(input, chunk, sizeof chunk);
        } while (got < 0 && errno == EINTR);
        if (got <= 0)
            break;
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
    // A last line without its line feed still counts.
    if (start < buffer.size())
        answer(server, std::string_view(buffer).substr(start), output);
    return 0;
}

} // namespace quaro::mcp
