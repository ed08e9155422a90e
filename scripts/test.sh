#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every Quaro test:
#   1. the whole suite on a release build;
#   2. the whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer,
#      built with clang, together with bounded libFuzzer runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

echo "== release build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j "$(nproc)" --timeout 900)

echo "== sanitizer build (ASan + UBSan) with fuzzers"
CC=clang CXX=clang++ bash scripts/build.sh build-asan \
  -DCMAKE_BUILD_TYPE=Debug -DQUARO_SANITIZE=ON -DQUARO_FUZZ=ON -DQUARO_BENCH=OFF
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 900)
