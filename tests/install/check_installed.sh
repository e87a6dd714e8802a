#!/usr/bin/env bash
# Checks an installed tree (the prefix given, e.g. staging/usr): the program answers without a
# display, in English and, from its installed catalog, in Russian; the help book holds both
# projects, the launcher and the AppStream metadata pass the desktop's validators without a
# remark, the icon is there at every theme size, and the phone libraries and their header are
# in place.
# Usage: check_installed.sh <prefix> ; needs desktop-file-validate, appstreamcli, identify.
#
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Velmora developers
set -euo pipefail
prefix="$1"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

program="$prefix/bin/velmora"
[ -x "$program" ] || fail "no program at $program"
# A home without settings: the desktop's language decides, from the prefix's catalogs.
fresh() { env -u LANGUAGE -u LC_ALL -u LC_MESSAGES HOME=/none XDG_CONFIG_HOME=/none "$@"; }
version="$(fresh LANG=C "$program" --version 2>&1)" || fail "velmora --version exited $?"
[[ "$version" == "Velmora Version "* ]] || fail "velmora --version said: $version"
version="$(fresh LANG=ru_RU.UTF-8 "$program" --version 2>&1)" || fail "Russian --version exited $?"
[ "$version" == "Velmora версия 1.3" ] || fail "velmora --version in Russian said: $version"
status=0
"$program" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "velmora --no-such-option exited $status, not 2"

book="$prefix/share/velmora/Help_Velmora.htb"
if [ -f "$book" ]; then
  listing="$(cmake -E tar tf "$book")"
  for file in Help_Velmora.hhp Help_Velmora_ru.hhp index.html ru/index.html velmora.css; do
    grep -qx "$file" <<<"$listing" || fail "the help book lacks $file"
  done
else
  fail "no help book at $book"
fi

desktop="$prefix/share/applications/org.example.velmora.desktop"
if [ -f "$desktop" ]; then
  remarks="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate failed"
  [ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
  icon="$(sed -n 's/^Icon=//p' "$desktop")"
  exec_name="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
  [ -x "$prefix/bin/$exec_name" ] || fail "the launcher starts $exec_name, which is not installed"
else
  fail "no launcher at $desktop"
fi

metainfo="$(ls "$prefix"/share/metainfo/*.metainfo.xml 2>/dev/null | head -n 1)"
if [ -n "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || {
    appstreamcli validate --no-net "$metainfo" >&2
    fail "appstreamcli validate failed"
  }
  grep -q '<launchable type="desktop-id">org.example.velmora.desktop</launchable>' "$metainfo" ||
    fail "the metadata does not launch org.example.velmora.desktop"
  grep -q '<screenshot' "$metainfo" || fail "the metadata has no screenshot"
  grep -q '<release version="[0-9]' "$metainfo" || fail "the metadata has no release"
else
  fail "no AppStream metadata under $prefix/share/metainfo"
fi

for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/${icon:-velmora}.png"
  if [ -f "$png" ]; then
    actual="$(identify -format '%wx%h' "$png")"
    [ "$actual" = "${size}x${size}" ] || fail "$png is $actual"
  else
    fail "no $png"
  fi
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/${icon:-velmora}.svg" ] || fail "no scalable icon"
man="$prefix/share/man/man1/velmora.1.gz"
if [ -f "$man" ]; then
  gzip -t "$man" || fail "the manual page is no gzip file"
else
  fail "no manual page at $man"
fi
[ -f "$prefix/share/doc/velmora/changelog.Debian.gz" ] || fail "no changelog.Debian.gz"

# The phone libraries export the interface only, with no executable stack; the header is C.
interface="PSTConfigValues PSTConfigure PSTGetDeviceList PSTGetInterfaceHandle PSTInitializeEx \
PSTInterfaceVersion PSTSendCommand PSTTestCmdInit PSTUninitialize"
for library in libvelmora-pst-sim.so libvelmora-pst-replay.so; do
  # lib/velmora, or lib/<multiarch>/velmora in a package built for /usr.
  file="$(find "$prefix/lib" -path "*/velmora/$library" 2>/dev/null | head -n 1)"
  [ -f "$file" ] || { fail "no $library under $prefix/lib"; continue; }
  exported="$(nm -D --defined-only "$file" | awk '{print $3}' | sort | xargs)"
  [ "$exported" = "$interface" ] || fail "$library exports: $exported"
  ! readelf -lW "$file" | grep -q 'GNU_STACK.*E' || fail "$library wants an executable stack"
done
echo '#include <velmora/pst.h>' | cc -std=c99 -Wall -Wpedantic -Werror -fsyntax-only \
  -I"$prefix/include" -x c - || fail "include/velmora/pst.h does not compile as C"

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) in $prefix" >&2
  exit 1
fi
echo "installed tree $prefix: all checks passed"
