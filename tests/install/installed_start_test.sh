#!/usr/bin/env bash
# The installed program on its phone libraries: a first start writes pst.conf naming the bundled
# emulated library and runs on it; a file that is no phone library, or the bundled one gone
# missing, gives the failed initialisation's box and one line on standard error naming it.
# Run under xvfb-run. Usage: installed_start_test.sh <prefix>; it moves the bundled library
# away for a moment, so give it a tree of its own.
#
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Velmora developers
set -euo pipefail
prefix="$(realpath "$1")"
home="$(mktemp -d)"
sim="$(find "$prefix/lib" -path '*/velmora/libvelmora-pst-sim.so' | head -n 1)"
trap '[ -f "$home/sim" ] && mv "$home/sim" "$sim"; rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_CACHE_HOME="$home/cache"
unset XDG_RUNTIME_DIR VELMORA_PHONES VELMORA_PST_TRACE VELMORA_PST_REPLAY
conf="$XDG_CONFIG_HOME/Velmora/pst.conf"
fail() { echo "FAIL: $*" >&2; exit 1; }
# Starts the program, waits for its window or box (both titled Velmora), then ends it; what it
# wrote on standard error must be the one line $1 (a pattern), or nothing.
start() {
  "$prefix/bin/velmora" 2>"$home/err" & local pid=$!
  timeout 30 xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null || fail "no window"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  [ "$(wc -l <"$home/err")" -le 1 ] && [[ "$(cat "$home/err")" == $1 ]] ||
    fail "standard error: $(cat "$home/err")"
}

start ""
[ "$(cat "$conf")" = "FileName=sz:$sim" ] || fail "first start wrote: $(cat "$conf")"
echo 'FileName=sz:/bin/true' >"$conf"
start "Velmora: cannot load the phone library /bin/true: *"
rm "$conf" && mv "$sim" "$home/sim"
start "Velmora: cannot load the phone library $sim: *"
echo "the installed program loads, refuses and reports its phone libraries"
