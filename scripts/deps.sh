#!/usr/bin/env bash
# Installs on Debian what the README's commands need: "run" for building and running the
# program, "test" (the default) for that and every test, the packaging checks included.
set -euo pipefail
run_packages=(build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev libgtk-3-dev librsvg2-bin
  xdg-utils shared-mime-info adwaita-icon-theme hicolor-icon-theme fonts-liberation2
  wx3.2-i18n)
test_packages=(git libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick
  desktop-file-utils appstream dpkg-dev)
case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
