#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Quaro and starts the MCP server
# the way an AI client does: JSON-RPC on standard input and output.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh >&2
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
server="$root/build/src/mcp/quaro-mcp"
cat >&2 <<MSG

quaro-mcp is built: $server
Connect Claude Code to it with:
  claude mcp add --scope user quaro -- "$server"

Starting it now, as an MCP client would; it reads one JSON-RPC request per line.
Try:  {"jsonrpc":"2.0","id":1,"method":"tools/list"}
End with Ctrl-D.
MSG
exec "$server"
