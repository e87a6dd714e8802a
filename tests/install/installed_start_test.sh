#!/usr/bin/env bash
# The installed program on its phone libraries: a first start writes pst.conf naming the bundled
# emulated library and runs on it; a FileName naming no file is pointed back at it; a file that
# is no phone library, or a bundled library gone missing, gives the failed initialisation's box
# and one line on standard error naming the file.
# Run under xvfb-run. Usage: installed_start_test.sh <prefix>; it moves the bundled library
# away for a moment, so give it a tree of its own.
#
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Velmora developers
set -euo pipefail
prefix="$(realpath "$1")"
home="$(mktemp -d)"
sim="$prefix/lib/velmora/libvelmora-pst-sim.so"
pid=""
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; [ -f "$home/sim" ] && mv "$home/sim" "$sim"; rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
unset XDG_RUNTIME_DIR VELMORA_PHONES VELMORA_PST_TRACE VELMORA_PST_REPLAY
conf="$XDG_CONFIG_HOME/Velmora/pst.conf"
fail() { echo "FAIL: $*" >&2; exit 1; }
# Starts the program, waits for its window or box (both titled Velmora), then ends it.
start() {
  "$prefix/bin/velmora" 2>"$home/err" & pid=$!
  timeout 30 xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null || fail "no window"
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
}
refused() {
  [ "$(wc -l <"$home/err")" -eq 1 ] && grep -q "^Velmora: cannot load the phone library $1: " \
    "$home/err" || fail "standard error for $1: $(cat "$home/err")"
}

start
[ "$(cat "$conf")" = "FileName=sz:$sim" ] || fail "first start wrote: $(cat "$conf")"
[ ! -s "$home/err" ] || fail "first start said: $(cat "$home/err")"
echo 'FileName=sz:/nonexistent/libphone.so' >"$conf"
start
[ "$(cat "$conf")" = "FileName=sz:$sim" ] || fail "not pointed back: $(cat "$conf")"
echo 'FileName=sz:/bin/true' >"$conf"
start
refused /bin/true
rm "$conf"
mv "$sim" "$home/sim"
start
refused "$sim"
echo "the installed program loads, refuses and reports its phone libraries"
