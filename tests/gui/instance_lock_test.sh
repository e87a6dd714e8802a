#!/usr/bin/env bash
# The single-instance lock never keeps the program from starting unless a copy really runs: not
# when the lock cannot be made (the program says so and starts), not after a crash, not when
# the number in a left-over lock file now belongs to another program. Run under xvfb-run; $1 is
# the program.
set -euo pipefail
program="$1"
root="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    rm -rf "$root"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$root/config" XDG_DATA_HOME="$root/data"
unset XDG_RUNTIME_DIR XDG_CACHE_HOME
# Without settings the program speaks the desktop's language: English for the message below.
unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8

# Starts the program in the background with the given HOME and waits for its window.
start() {
    HOME="$1" "$program" 2>>"$root/stderr" &
    pids+=($!)
    last=$!
    if ! timeout 30 xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null; then
        echo "no window with HOME=$1; it said: $(cat "$root/stderr")" >&2
        exit 1
    fi
}
stop() {
    kill -9 "$last"
    wait "$last" 2>/dev/null || true
}

# No usable home for the lock.
start "$root/no-such-home"
grep -q "cannot keep a second copy from starting" "$root/stderr" ||
    { echo "no word about the missing lock: $(cat "$root/stderr")" >&2; exit 1; }
stop

# Killed, then started again.
mkdir -p "$root/home"
start "$root/home"
stop
start "$root/home"
stop

# A left-over lock file whose number is now another program's.
sleep 300 & pids+=($!)
mkdir -p "$root/home/.cache/velmora"
echo "$!" >"$root/home/.cache/velmora/velmora.lock"
echo "$!" >"$root/home/Velmora-$(id -un)"
start "$root/home"
stop
echo "started every time"
