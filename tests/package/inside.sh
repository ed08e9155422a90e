#!/usr/bin/env bash
# Run by road.sh inside the minimal Debian 12 root, as root.
#   inside.sh QUARO_DEB NUVEM_DEB OLD_QUARO_DEB OLD_NUVEM_DEB
#   inside.sh --windows    (itself, on a private session bus)
set -euo pipefail
fail() { echo "package road: $*" >&2; exit 1; }
step() { printf '== %s (%ss)\n' "$1" "$SECONDS"; }

if [ "${1:-}" = --windows ]; then
  # The first launch opens the onboarding and, with no tray, the inbox; the
  # kept widget shows; later launches open the settings and the panel. A
  # window counts once its interface has loaded, so a missing QML module
  # leaves it out.
  quaro 2>/tmp/quaro.err & pid=$!
  state() { dbus-send --session --print-reply=literal --dest=app.quaro.Quaro /app/quaro/Quaro app.quaro.Quaro.State 2>/dev/null; }
  for _ in $(seq 100); do state >/dev/null && break; sleep 0.2; done
  quaro --settings && quaro --panel || fail "quaro did not take --settings and --panel"
  want='"windows":["inbox","settings","onboarding","panel","widget"]'
  for _ in $(seq 50); do
    seen=$(state) || seen="no answer"
    [[ $seen == *"$want"* ]] && break
    sleep 0.2
  done
  kill -0 $pid || fail "quaro died"
  kill $pid; wait $pid || true
  [[ $seen == *"$want"* ]] || fail "quaro's windows did not all open: $seen"
  exit 0
fi

app_deb=$1 nuvem_deb=$2 old_app_deb=$3 old_nuvem_deb=$4
export DEBIAN_FRONTEND=noninteractive
# man -w needs no index: man-db's triggers would rebuild it after every install.
echo 'man-db man-db/auto-update boolean false' | debconf-set-selections
apt-get update -qq
dpkg-query -W -f '${Package}\n' | sort >/tmp/before
step "installing the lower-versioned packages"
apt-get install -y -qq --no-install-recommends "$old_app_deb" "$old_nuvem_deb" >/tmp/apt.log ||
  { cat /tmp/apt.log; fail "apt could not install the packages"; }
dpkg-query -W -f '${Package}\n' | sort | comm -13 /tmp/before - >/tmp/pulled
echo "apt pulled $(wc -l </tmp/pulled) packages: $(tr '\n' ' ' </tmp/pulled)"
echo "installed size: quaro $(dpkg-query -W -f '${Installed-Size}' quaro) KiB, quaro-nuvem $(dpkg-query -W -f '${Installed-Size}' quaro-nuvem) KiB"

# A user's inbox, seeded before the upgrade.
export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
mcp() { printf '%s\n' "$@" | timeout 30 quaro-mcp; }
initialize='{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2025-06-18","capabilities":{},"clientInfo":{"name":"road","version":"1"}}}'
initialized='{"jsonrpc":"2.0","method":"notifications/initialized"}'
mcp "$initialize" "$initialized" '{"jsonrpc":"2.0","id":2,"method":"tools/call","params":{"name":"inbox_list","arguments":{}}}' >/dev/null
db=$HOME/.local/share/Quaro/quaro.sqlite
[ -f "$db" ] || fail "quaro-mcp made no inbox at $db"
sqlite3 "$db" "INSERT INTO recado (id, created_at, transcript, title, status) VALUES
  ('road-1', 1765000000, 'comprar pão e café', 'Padaria', 'pendente'),
  ('road-2', 1765000100, 'marcar a revisão do carro', 'Carro', 'pendente');"

step "upgrading to the current packages"
apt-get install -y -qq --no-install-recommends "$app_deb" "$nuvem_deb" >/tmp/apt.log ||
  { cat /tmp/apt.log; fail "apt could not upgrade to the packages"; }
version=$(dpkg-query -W -f '${Version}' quaro)
[ "$version" != 0.0.1-1 ] || fail "the upgrade left quaro at $version"
[ "$(sqlite3 "$db" "SELECT count(*) FROM recado WHERE id LIKE 'road-%'")" = 2 ] || fail "the upgrade lost the inbox"

step "quaro"
out=$(quaro --version) || fail "quaro --version failed"
[ "$out" = "quaro ${version%-*}" ] || fail "quaro --version said '$out', the package is $version"
quaro --help | grep -q -- --toggle || fail "quaro --help says no usage"
for page in quaro quaro-mcp quaro-nuvem; do man -w "$page" >/dev/null || fail "man -w $page finds no page"; done
desktop-file-validate /usr/share/applications/quaro.desktop || fail "the desktop entry does not validate"
metainfo=/usr/share/metainfo/app.quaro.Quaro.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "the metainfo does not validate"
grep -qF "<release version=\"${version%-*}\"" "$metainfo" || fail "the metainfo has no release ${version%-*}"
# Every window, offscreen, with the widget kept on screen by the preference.
export QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME/.config/Quaro"
printf '[General]\nalwaysShowWidget=true\n' >"$HOME/.config/Quaro/Quaro.conf"
dbus-run-session -- bash "$0" --windows || { cat /tmp/quaro.err >&2; exit 1; }
if grep -E 'is not installed|module ".*" .*not|Cannot assign|unavailable|failed to load|Could not load|Error:' /tmp/quaro.err >&2; then
  fail "quaro's windows did not load (above)"
fi

step "quaro-mcp"
out=$(mcp "$initialize" "$initialized" \
  '{"jsonrpc":"2.0","id":2,"method":"tools/list"}' \
  '{"jsonrpc":"2.0","id":3,"method":"tools/call","params":{"name":"inbox_list","arguments":{}}}' \
  '{"jsonrpc":"2.0","id":4,"method":"tools/call","params":{"name":"recado_claim","arguments":{"id":"road-1"}}}' \
  '{"jsonrpc":"2.0","id":5,"method":"tools/call","params":{"name":"recado_resolve","arguments":{"id":"road-1","resultado":"feito"}}}')
for want in '"id":1,"result"' recado_resolve 'road-2' '"id":4,"result"' '"id":5,"result"'; do
  grep -qF "$want" <<<"$out" || { echo "$out" >&2; fail "quaro-mcp's answers lack $want"; }
done
[ "$(sqlite3 "$db" "SELECT status FROM recado WHERE id = 'road-1'")" = resolvido ] || fail "road-1 is not resolved"

step "quaro-nuvem"
getent passwd quaro-nuvem >/dev/null || fail "no quaro-nuvem system user"
[ "$(stat -c %U /var/lib/quaro-nuvem)" = quaro-nuvem ] || fail "/var/lib/quaro-nuvem is not the service's"
# The unit's command line with the options it reads, on a free port (the root
# shares the machine's network).
options=$(. /etc/default/quaro-nuvem && echo "$QUARO_NUVEM_OPTIONS")
exec_start=$(sed -n 's/^ExecStart=//p' /lib/systemd/system/quaro-nuvem.service)
[ "$exec_start" = '/usr/bin/quaro-nuvem $QUARO_NUVEM_OPTIONS' ] || fail "unexpected ExecStart $exec_start"
port=$((20000 + RANDOM % 20000))
# shellcheck disable=SC2086
setpriv --reuid=quaro-nuvem --regid=quaro-nuvem --init-groups /usr/bin/quaro-nuvem $options --listen "127.0.0.1:$port" --quiet \
  2>/tmp/nuvem.err & nuvem=$!
healthy=
for _ in $(seq 50); do
  if reply=$( (exec 3<>"/dev/tcp/127.0.0.1/$port" &&
    printf 'GET /healthz HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n' >&3 && head -1 <&3) 2>/dev/null); then
    grep -q ' 200' <<<"$reply" && healthy=1
    break
  fi
  sleep 0.2
done
kill $nuvem; wait $nuvem || true
[ -n "$healthy" ] || { cat /tmp/nuvem.err >&2; fail "quaro-nuvem did not answer /healthz"; }
[ -f /var/lib/quaro-nuvem/nuvem.sqlite ] || fail "quaro-nuvem kept no database in /var/lib/quaro-nuvem"

step "removing and purging"
dpkg -L quaro quaro-nuvem | while read -r f; do [ -d "$f" ] || echo "$f"; done | sort -u >/tmp/files
apt-get remove -y -qq quaro quaro-nuvem >/dev/null
left=$(while read -r f; do [ -e "$f" ] && [ "$f" != /etc/default/quaro-nuvem ] && echo "$f"; done </tmp/files || true)
[ -z "$left" ] || fail "removing left files behind: $left"
[ -f "$db" ] || fail "removing took the user's inbox"
apt-get purge -y -qq quaro-nuvem >/dev/null
[ ! -e /etc/default/quaro-nuvem ] || fail "purging left /etc/default/quaro-nuvem"
[ ! -e /var/lib/quaro-nuvem ] || fail "purging left /var/lib/quaro-nuvem"
! getent passwd quaro-nuvem >/dev/null || fail "purging left the quaro-nuvem user"
step "all well"
