#!/usr/bin/env bash
# Builds the release program for /usr with Debian's hardening flags, installs it into a staging
# folder and checks the launcher and the AppStream metadata there, builds the Debian package,
# lists it and checks it with lintian: any error or warning fails, the pedantic and
# informational tags are printed for information, and a missing hardening flag fails too.
# With --install, also installs the package with apt-get, starts `velmora` under Xvfb with a
# fresh home and waits for its window (the package is removed again afterwards).
# Usage: scripts/package.sh [--install]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh package

# The flags a Debian package build gets (fortify, stack protector, relro and bind now), set
# explicitly: CMake would read CFLAGS and friends only when the build folder is first made.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags="$(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
cmake --preset release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags"
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

contents="$(mktemp -d)"
dpkg-deb -x "$deb" "$contents"
if grep -rlI /usr/local "$contents" || zgrep -l /usr/local $(find "$contents" -name "*.gz"); then
  echo "== the package names /usr/local" >&2
  exit 1
fi
rm -rf "$contents"

echo "== lintian (pedantic and informational tags, for information)"
lintian --pedantic --display-info --show-overrides "$deb" | tee "$build/package/lintian.txt" || true
echo "== lintian"
lintian --fail-on error,warning "$deb" || { echo "== lintian found errors or warnings" >&2; exit 1; }
if grep -E "hardening-no-(fortify-functions|bindnow|relro|pie)" "$build/package/lintian.txt"; then
  echo "== a hardening flag is missing" >&2
  exit 1
fi

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
