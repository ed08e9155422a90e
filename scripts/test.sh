#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every Quaro test:
#   1. the whole suite on a release build;
#   2. the whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer,
#      built with clang, together with bounded libFuzzer runs.
# Both builds turn warnings of the strict targets (the engines, their programs
# and tests) into errors, and the run stops at once if a tool the suite needs
# is missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh

# Every tool the suite drives must be here: a test that quietly skipped for a
# missing program would let the run pass without having checked anything.
missing=()
for tool in node ffmpeg opusenc espeak-ng sox pulseaudio pactl Xvfb xdotool dbus-daemon trayer sway grim wtype gsettings; do
  command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ -x "$(qtpaths6 --query QT_HOST_BINS 2>/dev/null)/qmllint" ] || missing+=("qmllint (qt6-declarative-dev-tools)")
/usr/bin/python3 -c 'import dbus' >/dev/null 2>&1 || missing+=("/usr/bin/python3 with the dbus module (python3-dbus)")
if ((${#missing[@]})); then
  echo "test.sh: the test suite needs these tools, which are missing:" >&2
  printf '  %s\n' "${missing[@]}" >&2
  echo "Install them with scripts/setup.sh (Debian 12) and run again." >&2
  exit 1
fi
# Tests that would skip for a missing tool fail instead.
export CI=true

echo "== release build"
bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARO_WERROR=ON -DQUARO_REQUIRE_TOOLS=ON
(cd build && ctest --output-on-failure -j "$(nproc)" --timeout 900)

echo "== sanitizer build (ASan + UBSan) with fuzzers"
CC=clang CXX=clang++ bash scripts/build.sh build-asan \
  -DCMAKE_BUILD_TYPE=Debug -DQUARO_SANITIZE=ON -DQUARO_FUZZ=ON -DQUARO_BENCH=OFF \
  -DQUARO_WERROR=ON -DQUARO_REQUIRE_TOOLS=ON
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 900)
