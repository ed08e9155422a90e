#!/usr/bin/env bash
# Installs the real claude command-line client that the connection tests run
# (tests/connect, pinned by its package-lock.json). Skips the install when
# node_modules already holds exactly what the lock file pins.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dir="$root/tests/connect"
stamp="$dir/node_modules/.quaro-lock.sha256"

want=$(sha256sum "$dir/package-lock.json" "$dir/package.json" | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -x "$dir/node_modules/.bin/claude" ]; then
  exit 0
fi

echo "setup: npm ci in tests/connect"
(cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
echo "$want" > "$stamp"
