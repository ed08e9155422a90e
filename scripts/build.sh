#!/usr/bin/env bash
# Configures and builds Quaro into build/ (or the folder given as $1).
# Extra CMake arguments follow the folder: scripts/build.sh build-asan -DQUARO_SANITIZE=ON
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-build}
shift || true
# Outside the tree, so that fresh clones on the same machine share the cache.
export CCACHE_DIR=${CCACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/quaro-ccache}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
cmake -S "$root" -B "$root/$dir" -G Ninja "$@" >/dev/null
cmake --build "$root/$dir" -j "$(nproc)"
