#!/usr/bin/env bash
# Builds whisper.cpp once, as static libraries, into .deps/whisper-<version>/.
# Debian 12 has no whisper.cpp, so the sources come from a pinned npm package
# that ships them; its tarball is checked against the registry's integrity
# hash before anything is unpacked. g++ without sanitizers builds it, and both
# the release and the sanitizer builds link it.
#
# CPU flags: not tuned to the build machine. AVX2, FMA and BMI2 stay off so the
# binaries run on CPUs without AVX2; AVX and F16C stay on (every x86-64 CPU
# since 2012 has both): without F16C every 16-bit weight goes through a lookup
# table and the encoder is about six times slower. Quaro checks for AVX and
# F16C at run time and falls back to the older recognizer where they are missing.
# Idempotent: nothing happens when the prefix already holds this build.
set -euo pipefail

package=nodejs-whisper@0.3.1
integrity='sha512-ceoilUVraRuR5FnNyXpGQT2auAR48Oc3AQBEmkXnVpSn9iN6yVRzQBFCqVTGWbk6Wdi95NhvwXNzFvuR7erLWw=='
version=1.9.1
flags=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=OFF
  -DCMAKE_POSITION_INDEPENDENT_CODE=ON
  -DWHISPER_BUILD_EXAMPLES=OFF -DWHISPER_BUILD_TESTS=OFF -DWHISPER_BUILD_SERVER=OFF
  -DWHISPER_CURL=OFF -DWHISPER_SDL2=OFF
  -DGGML_NATIVE=OFF -DGGML_SSE42=ON -DGGML_AVX=ON -DGGML_F16C=ON -DGGML_AVX2=OFF -DGGML_FMA=OFF
  -DGGML_BMI2=OFF -DGGML_AVX512=OFF
  -DGGML_OPENMP=OFF -DGGML_CCACHE=OFF -DGGML_BLAS=OFF
)

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
deps="$root/.deps"
prefix="$deps/whisper-$version"
stamp="$prefix/.quaro-build"
want="$package $integrity ${flags[*]}"

# Quaro's speech library checks downloaded models with OpenSSL's libcrypto,
# and this script checks the tarball with the openssl tool.
if ! dpkg-query -W -f='${Status}' libssl-dev 2>/dev/null | grep -q 'install ok installed' || ! command -v openssl >/dev/null; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends libssl-dev openssl
fi

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -f "$prefix/lib/libwhisper.a" ]; then
  echo "whisper: $version already built in $prefix"
  exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/quaro-whisper.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "whisper: fetching $package"
(cd "$work" && npm pack "$package" --silent >/dev/null)
tarball=$(ls "$work"/*.tgz)
got="sha512-$(openssl dgst -sha512 -binary "$tarball" | base64 -w0)"
if [ "$got" != "$integrity" ]; then
  echo "whisper: integrity mismatch for $package" >&2
  echo "  expected $integrity" >&2
  echo "  got      $got" >&2
  exit 1
fi

# whisper.cpp's own top-level build expects files the package leaves out when it
# is the top project, so a two-line wrapper adds it as a subdirectory instead.
src="$work/src"
mkdir -p "$src/whisper.cpp"
cat >"$src/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.14)
project(quaro_whisper C CXX)
add_subdirectory(whisper.cpp)
CMAKE
parts=()
for p in CMakeLists.txt LICENSE cmake include src ggml; do
  parts+=("package/cpp/whisper.cpp/$p")
done
tar -xzf "$tarball" -C "$src/whisper.cpp" --strip-components=3 "${parts[@]}"

echo "whisper: building $version (static, portable CPU flags)"
rm -rf "$prefix"
CC=gcc CXX=g++ cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${flags[@]}" >"$work/configure.log" 2>&1 \
  || { cat "$work/configure.log" >&2; exit 1; }
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" \
  || { tail -50 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >/dev/null
install -m 644 "$src/whisper.cpp/LICENSE" "$prefix/LICENSE"
echo "$want" >"$stamp"
echo "whisper: installed into $prefix"
