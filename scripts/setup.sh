#!/usr/bin/env bash
# Installs everything Quaro needs to build, run and test on Debian 12.
# Idempotent and non-interactive; run as root or with sudo available.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build ccache pkg-config git clang libclang-rt-14-dev
  # inbox core and MCP server
  libsqlite3-dev libicu-dev nlohmann-json3-dev googletest libgtest-dev libgmock-dev
  # audio
  libavformat-dev libavcodec-dev libavutil-dev libswresample-dev libopus-dev
  qt6-base-dev qt6-multimedia-dev
  # speech
  libpocketsphinx-dev pocketsphinx-en-us pocketsphinx-testdata libcurl4-openssl-dev libssl-dev openssl
  # the cloud endpoint quaro-nuvem (Boost.Beast/Asio headers, SHA-256 from libssl-dev) and its load generator
  libboost-dev wrk
  # quaro-nuvem on PostgreSQL for many instances: libpq, and a server the tests start themselves
  libpq-dev postgresql-15
  # test tools: fixtures, a sound server without a sound card, the MCP client
  ffmpeg opus-tools espeak-ng sox libsox-fmt-all pulseaudio pulseaudio-utils
  python3 sqlite3 curl ca-certificates time
  # the application: tray, global hot key (X11), D-Bus; native Wayland windows; GNOME's own
  # keyboard shortcuts through GSettings
  libxcb1-dev libxcb-keysyms1-dev qt6-wayland libglib2.0-dev
  # the desktop interface: Qt Quick, its controls, layouts, shapes and Quick Test; qmllint
  # and the QtQml type descriptions it checks the interface against
  qt6-declarative-dev qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts qml6-module-qtquick-window qml6-module-qtquick-shapes qml6-module-qtqml-workerscript qml6-module-qtquick-templates qml6-module-qttest
  qt6-declarative-dev-tools qml6-module-qtqml qml6-module-qtqml-models
  # application tests: a display, a private session bus, a tray, a notification server
  xvfb xauth xdotool x11-utils dbus python3-dbus python3-gi trayer imagemagick fonts-dejavu-core
  # the interface tests: a program holding the keyboard, and a window manager that hands it out
  xterm openbox
  # the Wayland road (a headless compositor, its pictures and typing) and GNOME's shortcut
  # schema with the gsettings tool
  sway grim wtype gnome-settings-daemon-common libglib2.0-bin
  # Debian packages: building them (CPack runs dpkg-shlibdeps), checking them, and the
  # package road's minimal Debian root
  dpkg-dev fakeroot lintian desktop-file-utils appstream mmdebstrap
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Node.js 20 with npm comes with the machine (Debian's own npm conflicts with it);
# fall back to Debian's packages only where neither is there.
if ! command -v npm >/dev/null; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends nodejs npm
fi

# Further steps of each subsystem (third-party sources, npm packages).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for step in "$here"/setup.d/*.sh; do
  [ -e "$step" ] || continue
  bash "$step"
done
