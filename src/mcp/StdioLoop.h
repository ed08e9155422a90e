#pragma once

namespace quaro::mcp {

class McpServer;

// Serves `server` over a pair of file descriptors: one JSON-RPC message per
// input line (LF or CR LF), each reply written as one compact line ending in
// a single LF, strictly in arrival order. Returns the exit status once the
// input ends: 0.
int serveLines(McpServer& server, int input, int output);

} // namespace quaro::mcp
