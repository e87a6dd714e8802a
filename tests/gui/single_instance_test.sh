#!/usr/bin/env bash
# A second start while the first copy's window is open ends at once, silently and with 0.
# Run under xvfb-run; $1 is the program.
set -euo pipefail
program="$1"
home="$(mktemp -d)"
trap 'kill "$first" 2>/dev/null || true; rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
"$program" & first=$!
timeout 30 xdotool search --sync --onlyvisible --name '^Velmora$' >/dev/null
output="$(timeout 30 "$program" 2>&1)" || { echo "second copy failed: $?" >&2; exit 1; }
[ -z "$output" ] || { echo "second copy said: $output" >&2; exit 1; }
kill -0 "$first" || { echo "first copy is gone" >&2; exit 1; }
windows="$(xdotool search --onlyvisible --name '^Velmora$' | wc -l)"
[ "$windows" -eq 1 ] || { echo "$windows windows titled Velmora" >&2; exit 1; }
echo "second copy ended silently"
