#!/usr/bin/env bash
# Builds the release program, installs it into a staging folder and checks the launcher and
# the AppStream metadata there, builds the Debian package and lists it. With --install, also
# installs the package with apt-get, starts `velmora` under Xvfb with a fresh home and waits
# for its window (the package is removed again afterwards).
# Usage: scripts/package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh package
cmake --preset release
cmake --build --preset release
build=build/release
staging="$build/staging"
rm -rf "$staging"
cmake --install "$build" --prefix "$staging/usr"
bash tests/install/check_installed.sh "$staging/usr"

rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -B "$build/package"
deb="$(ls "$build"/package/velmora_*.deb)"
echo "== $deb: $(du -k "$deb" | cut -f1) KiB"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

if [ "${1:-}" = --install ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "$(realpath "$deb")"
  home="$(mktemp -d)"
  status=0
  HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= xvfb-run -a bash -c '
      velmora & pid=$!
      if timeout 60 xdotool search --sync --onlyvisible --name "^Velmora\$" >/dev/null; then
          echo "== the installed velmora opened its window"
      else
          echo "== the installed velmora showed no window" >&2; kill "$pid"; exit 1
      fi
      kill "$pid"; wait "$pid" 2>/dev/null || true' || status=$?
  [ -d "$home/.local/share/Velmora/phone1/a" ] || { echo "== no emulated phone image" >&2; status=1; }
  rm -rf "$home"
  $sudo dpkg --remove velmora >/dev/null
  exit "$status"
fi
