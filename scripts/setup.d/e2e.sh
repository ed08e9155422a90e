#!/usr/bin/env bash
# Installs the npm packages of the end-to-end tests (tests/e2e): the MCP SDK
# client and better-sqlite3. Skips the install when node_modules already holds
# exactly what package-lock.json pins.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dir="$root/tests/e2e"
stamp="$dir/node_modules/.quaro-lock.sha256"

want=$(sha256sum "$dir/package-lock.json" "$dir/package.json" | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] \
   && [ -f "$dir/node_modules/better-sqlite3/build/Release/better_sqlite3.node" ]; then
  exit 0
fi

echo "setup: npm ci in tests/e2e"
(cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
echo "$want" > "$stamp"
