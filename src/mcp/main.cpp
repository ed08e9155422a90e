// quaro-mcp: the stdio MCP server that AI clients start to work the inbox.
#include "core/Log.h"
#include "core/QuaroPaths.h"
#include "core/QuaroStore.h"
#include "mcp/McpServer.h"
#include "mcp/StdioLoop.h"

#include <csignal>
#include <malloc.h>
#include <unistd.h>

int main()
{
    // A client that goes away must not kill the server in the middle of a
    // write; the loop ends at the end of its input instead.
    std::signal(SIGPIPE, SIG_IGN);
    quaro::setLogPrefix("[quaro-mcp]");
    // A reply of a hundred recados is a few hundred kilobytes of short-lived
    // strings. By default the allocator hands such memory back to the system
    // after every reply and faults it in again for the next one, which cost
    // more than building the reply; keep it for reuse instead.
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    mallopt(M_MMAP_THRESHOLD, 16 << 20);

    auto store = quaro::QuaroStore::open(quaro::QuaroPaths::databaseURL());
    if (!store) {
        quaro::log(quaro::LogArea::mcp, "não abri a caixa do Quaro: " + store.error().description());
        return 1;
    }
    quaro::mcp::McpServer server(*store);
    return quaro::mcp::serveLines(server, STDIN_FILENO, STDOUT_FILENO);
}
