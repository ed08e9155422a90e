#!/usr/bin/env bash
# Fetches Quaro's display face, Bricolage Grotesque Extra Bold (OFL), into
# .deps/fonts/. It comes from a pinned npm package whose tarball is checked
# against the registry's integrity hash before anything is unpacked; only the
# Latin 800-weight file and the licence are kept. The build copies the file
# beside the executable; without it the interface falls back to a heavy
# system face. Idempotent.
set -euo pipefail

package=@fontsource/bricolage-grotesque@5.3.0
integrity='sha512-MdOVb/5in11IfN/IQJOExMuu6AroCIQbirl0yX7NUvKk+h0HYIKfGaVAXRS/gCPil4aFxWhjZnOw28tUwv7tFw=='
file=bricolage-grotesque-latin-800-normal.woff

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dest="$root/.deps/fonts"
stamp="$dest/.quaro-fonts"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$package $integrity" ] && [ -f "$dest/$file" ]; then
  echo "fonts: $package already in $dest"
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quaro-fonts.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "fonts: fetching $package"
(cd "$work" && npm pack "$package" --silent >/dev/null)
tarball=$(ls "$work"/*.tgz)
got="sha512-$(openssl dgst -sha512 -binary "$tarball" | base64 -w0)"
if [ "$got" != "$integrity" ]; then
  echo "fonts: integrity mismatch for $package" >&2
  echo "  expected $integrity" >&2
  echo "  got      $got" >&2
  exit 1
fi

tar -xzf "$tarball" -C "$work" "package/files/$file" package/LICENSE
mkdir -p "$dest"
install -m 644 "$work/package/files/$file" "$dest/$file"
install -m 644 "$work/package/LICENSE" "$dest/LICENSE-bricolage-grotesque"
echo "$package $integrity" >"$stamp"
echo "fonts: installed $file into $dest"
