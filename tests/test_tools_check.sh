#!/usr/bin/env bash
# Every program a test needs is looked up as REQUIRED, so that configuring fails where it is
# missing, and comes from a package that scripts/deps.sh installs: a test that cannot run
# must fail, never drop out of the suite unseen.
set -euo pipefail
root="${1:?usage: test_tools_check.sh <source folder>}"
declare -A package_of=([xvfb-run]=xvfb [xdotool]=xdotool [desktop-file-validate]=desktop-file-utils
    [appstreamcli]=appstream [identify]=imagemagick [msgcmp]=gettext)
deps="$(cat "$root/scripts/deps.sh")"
failures=0
checked=0
bad=0
while IFS= read -r line; do
    file="${line%%:*}"
    call="${line#*:}"
    read -r -a words <<<"$(sed -E 's/.*find_program\(([^)]*)\).*/\1/' <<<"$call")"
    tool="${words[1]:-}"
    checked=$((checked + 1))
    before=$failures
    if [[ " ${words[*]} " != *" REQUIRED "* ]]; then
        echo "$file: $tool is not REQUIRED: its tests would vanish where it is missing"
        failures=$((failures + 1))
    fi
    package="${package_of[$tool]:-}"
    if [ -z "$package" ]; then
        echo "$file: no package known for $tool; name it here and in scripts/deps.sh"
        failures=$((failures + 1))
    elif ! grep -Eq "(^|[[:space:](])$package([[:space:])]|$)" <<<"$deps"; then
        echo "$file: scripts/deps.sh does not install $package (for $tool)"
        failures=$((failures + 1))
    fi
    [ "$failures" -eq "$before" ] || bad=$((bad + 1))
done < <(cd "$root" && grep -rn --include=CMakeLists.txt 'find_program(' tests)
echo "$((checked - bad)) passed, $bad failed"
[ "$failures" -eq 0 ] && [ "$checked" -gt 0 ]
