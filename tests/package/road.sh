#!/usr/bin/env bash
# The package road: packs the release build (no compiling), installs both
# packages with apt into a minimal Debian 12 root and drives them there:
# versions, windows, the MCP server on a seeded inbox, the cloud service as
# its system user, an upgrade that keeps the inbox, removal and purge.
#   road.sh SOURCE_DIR BUILD_DIR
# The root (and apt's downloads) are cached in ~/.cache/quaro-debroot, under a
# name that follows its package list, so only the first run fetches them. The
# root is unpacked on a tmpfs: dpkg writes and the teardown cost nothing.
# lintian checks the packages meanwhile; its errors fail the road.
# Without root, mmdebstrap or the mirror the road skips, or fails naming what
# is missing under CI=true.
set -euo pipefail
source_dir=$1 build_dir=$2
mirror=${QUARO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${QUARO_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}
cache=${QUARO_DEBROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quaro-debroot}

unavailable() {
  if [ "${CI:-}" = true ]; then echo "package road: $1" >&2; exit 1; fi
  echo "package road skipped: $1" >&2; exit 77
}
missing=()
for tool in mmdebstrap cpack dpkg-shlibdeps ar lintian; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
((${#missing[@]})) && unavailable "missing ${missing[*]} (scripts/setup.sh installs them)"
[ "$(id -u)" -eq 0 ] ||
  unavailable "it must run as root (it mounts a tmpfs and enters a Debian root with chroot); run the release tests as root, e.g. sudo ctest -R e2e.package.road"
curl -fsI --max-time 20 "$mirror/dists/bookworm/Release" >/dev/null ||
  unavailable "the Debian mirror $mirror is not reachable"

work=$(mktemp -d)
root=$work/root
mounted=()
cleanup() {
  # The packing or lintian, when the road ends early.
  for pid in $(jobs -p); do kill "$pid" 2>/dev/null || true; done
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
step() { printf '== %s (%ss)\n' "$1" "$SECONDS"; }

step "packing the release build, beside the root"
# gzip rather than xz: the same files, packed in seconds. desktop-file-validate
# and appstreamcli run inside the root, on the installed files; lintian runs
# beside the rest of the road.
bash "$source_dir/scripts/package.sh" --from "$build_dir" --out "$work/debs" --no-check --fast \
  >"$work/debs.list" 2>"$work/pack.log" &
pack_pid=$!

step "the minimal Debian 12 root"
mkdir -p "$cache/archives/partial" "$root"
mount -t tmpfs -o size=4g,mode=0755 quaro-road "$root"
mounted+=("$root")
# What the checks inside need besides the packages: sqlite3 seeds an inbox,
# dbus for the windows, man-db for man -w, the desktop entry and metainfo
# validators.
# The package lists stay, so that apt-get update inside mostly finds them current.
options=(--variant=apt --skip=cleanup/apt/lists
  --include=ca-certificates,sqlite3,dbus-daemon,dbus-bin,man-db,desktop-file-utils,appstream)
sources=("deb $mirror bookworm main" "deb $mirror bookworm-updates main" "deb $security bookworm-security main")
# Changed options, packages or mirrors make another root.
key=$(printf '%s\n' "${options[@]}" "${sources[@]}" | sha256sum | cut -c1-12)
tarball=$cache/bookworm-apt-$key.tar
if [ -s "$tarball" ]; then
  tar -C "$root" -xf "$tarball"
else
  mmdebstrap --quiet "${options[@]}" bookworm "$root" "${sources[@]}"
  rm -f "$cache"/bookworm-apt*.tar
  tar -C "$root" -cf "$tarball.new" . && mv "$tarball.new" "$tarball"
fi
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
mounted+=("$root/var/cache/apt/archives")

step "the packages"
wait "$pack_pid" || { cat "$work/pack.log" >&2; echo "package road: scripts/package.sh failed (above)" >&2; exit 1; }
mapfile -t debs <"$work/debs.list"
((${#debs[@]} == 2)) || { echo "package road: scripts/package.sh made no packages" >&2; exit 1; }
app_deb=$(printf '%s\n' "${debs[@]}" | grep '/quaro_')
nuvem_deb=$(printf '%s\n' "${debs[@]}" | grep '/quaro-nuvem_')
du -k "$app_deb" "$nuvem_deb"
nice lintian --fail-on error "${debs[@]}" >"$work/lintian.log" 2>&1 &
lintian_pid=$!
# The same files under a lower version, for the upgrade: only the control
# member changes, the data stays as packed.
old=()
for deb in "$app_deb" "$nuvem_deb"; do
  old+=("$work/debs/old-$(basename "$deb")")
  mkdir "$work/control"
  ar p "$deb" control.tar.gz | tar -xz -C "$work/control"
  sed -i 's/^Version: .*/Version: 0.0.1-1/' "$work/control/control"
  tar -C "$work/control" --owner=0 --group=0 -czf "$work/control.tar.gz" .
  cp "$deb" "${old[-1]}"
  (cd "$work" && ar r "${old[-1]}" control.tar.gz)
  rm -rf "$work/control" "$work/control.tar.gz"
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/debs"
cp "${debs[@]}" "${old[@]}" "$root/debs/"
cp "$source_dir/tests/package/inside.sh" "$root/inside.sh"

step "inside the root"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  bash /inside.sh "/debs/$(basename "$app_deb")" "/debs/$(basename "$nuvem_deb")" \
  "/debs/old-$(basename "$app_deb")" "/debs/old-$(basename "$nuvem_deb")"

step "lintian"
status=0
wait "$lintian_pid" || status=$?
cat "$work/lintian.log"
((status == 0)) || { echo "package road: lintian found errors in the packages (above)" >&2; exit 1; }
step "done"
