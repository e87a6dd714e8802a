#!/usr/bin/env bash
# Installs what building and testing need on Debian. Pass "run" to add the desktop viewers.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config git
  libwxgtk3.2-dev libgtk-3-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool xdg-utils shared-mime-info adwaita-icon-theme hicolor-icon-theme fp-utils
  fonts-liberation2)
if [ "${1:-}" = run ]; then packages+=(xchm); fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
