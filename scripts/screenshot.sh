#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's picture of the main window: the program on the simulated converter in a
# fresh program folder under a virtual X display (Debian packages xvfb, xdotool, imagemagick).
# Writes doc/screenshots/main-window.png, or the file given.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/doc/screenshots/main-window.png}
build=${BUILD_DIR:-$top/build}
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot.sh: $tool is missing (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done
[ -x "$build/app/winorbis" ] || BUILD_TARGETS="winorbis winorbis-data" "$top/scripts/build.sh"

display=:$((90 + RANDOM % 100))
folder=$(mktemp -d)
program=
finish() {
    [ -n "$program" ] && kill "$program" 2>/dev/null && wait "$program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$folder"
}
trap finish EXIT
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
DISPLAY=$display "$build/app/winorbis" --simulate --folder "$folder" >/dev/null 2>&1 &
program=$!
window=
for _ in $(seq 100); do
    sleep 0.2
    # A first start in an empty folder says once that there is no start.bmp yet: answered.
    DISPLAY=$display xdotool key --clearmodifiers Return 2>/dev/null || true
    window=$(DISPLAY=$display xdotool search --onlyvisible --name "WinOrbis 70 p Version" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
done
[ -n "$window" ] || { echo "screenshot.sh: the main window did not appear" >&2; exit 1; }
sleep 1
# The colour bars into the TX window, and a caption burnt in with a click.
x() { DISPLAY=$display xdotool "$@"; sleep 0.3; }
x mousemove --window "$window" 955 550 click 1
x mousemove --window "$window" 478 473 click 1
x type "CQ de DL1ABC"
x key Return
x mousemove --window "$window" 140 300
x mousemove --window "$window" 150 310 click 1
x mousemove --window "$window" 700 700
sleep 1
mkdir -p "$(dirname "$out")"
DISPLAY=$display import -window "$window" "$out"
echo "$out"
