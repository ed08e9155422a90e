#!/usr/bin/env bash
# Renders the real interface for review: builds what it needs (in BUILD,
# default "build"), then runs `quaro` on a private desktop over a seeded
# temporary inbox and writes PNG files named after what they show into
# BUILD/screenshots/. Needs the packages of scripts/setup.sh.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-$root/build}
case "$build" in /*) ;; *) build="$root/$build" ;; esac

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${QUARO_WHISPER_PREFIX:+-DQUARO_WHISPER_PREFIX=$QUARO_WHISPER_PREFIX}
fi
cmake --build "$build" --target quaro quaro-mcp ui_glyph_shots

out="$build/screenshots"
rm -rf "$out"
mkdir -p "$out"
/usr/bin/python3 "$root/scripts/screenshots.py" "$build/src/quaro/quaro" "$build/src/mcp/quaro-mcp" \
  "$build/tests/ui/ui_glyph_shots" "$out"
echo "screenshots: $(ls "$out" | wc -l) pictures in $out"
