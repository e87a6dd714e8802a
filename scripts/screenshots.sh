#!/usr/bin/env bash
# Starts the program under Xvfb in English and in Russian and saves a picture of the main
# window of each into docs/screenshots/, one of the emulated phone browsed: volume /a
# selected, Get File List, then the folder /a/mobile/picture, and one of the help window that
# F1 opens. Needs xvfb-run, xdotool and
# imagemagick's import; the clicks assume the layout's pixel places.
# Usage: scripts/screenshots.sh [path to the velmora executable]
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/debug/src/app/velmora}")"
out="$(pwd)/docs/screenshots"
mkdir -p "$out"
[ -x "$program" ] || { echo "no program at $program; build it first" >&2; exit 1; }

# One start: a fresh home and config folder, optional settings lines, optional xdotool steps
# on the window ($w; a step may point $window at another window to take), one picture.
shoot() {
    local name="$1" settings="$2" steps="${3:-}"
    local home
    home="$(mktemp -d)"
    mkdir -p "$home/config/Velmora"
    [ -n "$settings" ] && printf '%s\n' "$settings" >"$home/config/Velmora/settings.conf"
    HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
        xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
            "$1" & pid=$!
            window="$(timeout 30 xdotool search --sync --onlyvisible --name "^Velmora\$" | head -n 1)"
            # Let the first layout and paint settle before taking the picture.
            sleep 2
            w="$window"
            eval "$3"
            sleep 0.5
            import -window "$window" "$2"
            kill "$pid"; wait "$pid" 2>/dev/null || true
        ' _ "$program" "$out/$name.png" "$steps"
    rm -rf "$home"
    echo "saved $out/$name.png"
}

shoot main-window-english ""
shoot main-window-russian "Language=dword:1"
shoot main-window-browsing "" '
    click() { xdotool mousemove --window "$w" "$1" "$2" click 1; sleep "$3"; }
    click 75 100 0.5     # volume /a
    click 614 40 3       # Get File List
    click 90 119 0.5     # mobile
    xdotool key Right; sleep 0.5
    click 110 176 2      # picture
'
shoot help-window "" '
    xdotool mousemove --window "$w" 300 150 key F1
    window="$(timeout 30 xdotool search --sync --onlyvisible --name "^Velmora Help\$" | head -n 1)"
    sleep 2
'
