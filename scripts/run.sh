#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Quaro and starts the tray
# application. Prints the line that connects Claude Code to quaro-mcp.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh >&2
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
server="$root/build/src/mcp/quaro-mcp"
cat >&2 <<MSG

Quaro is built. Connect Claude Code to its inbox with:
  claude mcp add --scope user quaro -- "$server"

Starting Quaro: press Alt+Espaço anywhere, speak, press it again.
MSG
exec "$root/build/src/quaro/quaro" "$@"
