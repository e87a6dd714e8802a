#!/usr/bin/env bash
# Installs on Debian what the README's commands need: "run" for building and running the
# program, "package" for building, checking and trying the Debian package (scripts/package.sh),
# "test" (the default) for all of that and every test.
set -euo pipefail
run_packages=(build-essential cmake ninja-build pkg-config gettext
  libwxgtk3.2-dev libgtk-3-dev librsvg2-bin
  xdg-utils shared-mime-info adwaita-icon-theme hicolor-icon-theme fonts-liberation2
  wx3.2-i18n)
# The release build has the benchmarks; the checks need the validators, identify and lintian;
# the package's trial start needs Xvfb and xdotool.
package_packages=(libbenchmark-dev desktop-file-utils appstream dpkg-dev imagemagick lintian
  xvfb xauth xdotool)
test_packages=(git libgtest-dev libgmock-dev)
case "${1:-test}" in
  run) packages=("${run_packages[@]}") ;;
  package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${package_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|package|test]" >&2; exit 2 ;;
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
