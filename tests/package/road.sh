#!/usr/bin/env bash
# The package road: packs the release build (no compiling), installs both
# packages with apt into a minimal Debian 12 root and drives them there:
# versions, windows, the MCP server on a seeded inbox, the cloud service as
# its system user, an upgrade that keeps the inbox, removal and purge.
#   road.sh SOURCE_DIR BUILD_DIR
# The root (and apt's downloads) are cached in ~/.cache/quaro-debroot, so only
# the first run fetches them. Without mmdebstrap or the mirror the road skips,
# or fails naming what is missing under CI=true.
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
for tool in mmdebstrap dpkg-deb cpack lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
((${#missing[@]})) && unavailable "missing ${missing[*]} (scripts/setup.sh installs them)"
[ "$(id -u)" -eq 0 ] || unavailable "the root is entered with chroot, which needs root"
curl -fsI --max-time 20 "$mirror/dists/bookworm/Release" >/dev/null ||
  unavailable "the Debian mirror $mirror is not reachable"

work=$(mktemp -d)
root=$work/root
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
step() { printf '== %s (%ss)\n' "$1" "$SECONDS"; }

step "packing the release build"
mapfile -t debs < <(bash "$source_dir/scripts/package.sh" --from "$build_dir" --out "$work/debs")
((${#debs[@]} == 2)) || { echo "package road: scripts/package.sh made no packages" >&2; exit 1; }
app_deb=$(printf '%s\n' "${debs[@]}" | grep '/quaro_')
nuvem_deb=$(printf '%s\n' "${debs[@]}" | grep '/quaro-nuvem_')
du -k "$app_deb" "$nuvem_deb"
# The same files under a lower version, for the upgrade.
old=()
for deb in "$app_deb" "$nuvem_deb"; do
  dpkg-deb -R "$deb" "$work/old"
  sed -i 's/^Version: .*/Version: 0.0.1-1/' "$work/old/DEBIAN/control"
  dpkg-deb --root-owner-group -Zgzip -b "$work/old" "$work/debs/old-$(basename "$deb")" >/dev/null
  old+=("$work/debs/old-$(basename "$deb")")
  rm -rf "$work/old"
done

step "the minimal Debian 12 root"
mkdir -p "$cache/archives/partial"
tarball=$cache/bookworm-apt.tar
if [ ! -s "$tarball" ]; then
  mmdebstrap --quiet --variant=apt --include=ca-certificates,sqlite3,dbus-daemon,man-db bookworm "$cache/bookworm-apt.new.tar" \
    "deb $mirror bookworm main" "deb $mirror bookworm-updates main" "deb $security bookworm-security main"
  mv "$cache/bookworm-apt.new.tar" "$tarball"
fi
mkdir "$root"
tar -C "$root" -xf "$tarball"
for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done
mount --bind "$cache/archives" "$root/var/cache/apt/archives"
mounted+=("$root/var/cache/apt/archives")
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/debs"
cp "${debs[@]}" "${old[@]}" "$root/debs/"
cp "$source_dir/tests/package/inside.sh" "$root/inside.sh"

step "inside the root"
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  bash /inside.sh "/debs/$(basename "$app_deb")" "/debs/$(basename "$nuvem_deb")" \
  "/debs/old-$(basename "$app_deb")" "/debs/old-$(basename "$nuvem_deb")"
step "done"
