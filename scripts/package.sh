#!/usr/bin/env bash
# Builds the Debian packages quaro and quaro-nuvem into dist/ and checks them
# with lintian, desktop-file-validate and appstreamcli.
#   bash scripts/package.sh                 set up, build afresh (build-package/), pack, check
#   bash scripts/package.sh --from build    pack an existing build folder instead (no compiling)
#   bash scripts/package.sh --out DIR       put the packages in DIR (default dist/)
#   bash scripts/package.sh --no-check      skip lintian and the validators
#   bash scripts/package.sh --fast          gzip instead of xz: same files, bigger packages,
#                                           packed in seconds instead of a minute (for tests)
# Prints the paths of the packages made, one a line, on standard output.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

from= out=$root/dist check=1 compression=()
while (($#)); do
  case $1 in
    --from) from=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --no-check) check=0; shift ;;
    --fast) compression=(-D CPACK_DEBIAN_COMPRESSION_TYPE=gzip); shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

if [ -z "$from" ]; then
  bash scripts/setup.sh >&2
  # Release packages: optimised, without tests or benchmarks; CPack strips them.
  bash scripts/build.sh build-package -DCMAKE_BUILD_TYPE=Release -DQUARO_TESTS=OFF -DQUARO_BENCH=OFF \
    -DQUARO_REQUIRE_TOOLS=ON >&2
  from=build-package
fi
build=$(cd "$from" && pwd)
[ -f "$build/CPackConfig.cmake" ] || { echo "package.sh: $build is not a configured Quaro build" >&2; exit 1; }
cmake --build "$build" --target quaro quaro-mcp quaro-nuvem quaro_package_data >&2

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pack" "${compression[@]}" >&2)
debs=()
for deb in "$work"/pack/*.deb; do
  mv -f "$deb" "$out/"
  debs+=("$out/$(basename "$deb")")
done
((${#debs[@]} == 2)) || { echo "package.sh: expected two packages, made ${#debs[@]}" >&2; exit 1; }

if ((check)); then
  for tool in lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
  done
  # Errors fail; warnings are shown.
  lintian --fail-on error "${debs[@]}" >&2
  mkdir "$work/files"
  dpkg-deb -x "$(printf '%s\n' "${debs[@]}" | grep '/quaro_')" "$work/files"
  desktop-file-validate "$work/files/usr/share/applications/quaro.desktop" >&2
  appstreamcli validate --no-net --pedantic "$work/files/usr/share/metainfo/app.quaro.Quaro.metainfo.xml" >&2
fi
printf '%s\n' "${debs[@]}"
