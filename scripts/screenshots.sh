#!/usr/bin/env bash
# Starts the program under Xvfb in English and in Russian and saves a picture of the main
# window of each into docs/screenshots/. Needs xvfb-run, xdotool and imagemagick's import.
# Usage: scripts/screenshots.sh [path to the velmora executable]
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/debug/src/app/velmora}")"
out="$(pwd)/docs/screenshots"
mkdir -p "$out"
[ -x "$program" ] || { echo "no program at $program; build it first" >&2; exit 1; }

# One start: a fresh home and config folder, optional settings lines, one picture.
shoot() {
    local name="$1" settings="$2"
    local home
    home="$(mktemp -d)"
    mkdir -p "$home/config/Velmora"
    [ -n "$settings" ] && printf '%s\n' "$settings" >"$home/config/Velmora/settings.conf"
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        xvfb-run -a -s "-screen 0 800x500x24" bash -c '
            "$1" & pid=$!
            window="$(timeout 30 xdotool search --sync --onlyvisible --name "^Velmora\$" | head -n 1)"
            # Let the first layout and paint settle before taking the picture.
            sleep 1
            import -window "$window" "$2"
            kill "$pid"; wait "$pid" 2>/dev/null || true
        ' _ "$program" "$out/$name.png"
    rm -rf "$home"
    echo "saved $out/$name.png"
}

shoot main-window-english ""
shoot main-window-russian "Language=dword:1"
