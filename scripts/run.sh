#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts WinOrbis. Without arguments it runs on the built-in
# simulated converter in the folder ./station; any arguments go to winorbis instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
# Only what it starts: the program, the simulator for --simulate, the manual and the icons.
BUILD_TARGETS="winorbis orbis-sim winorbis-data" "$top/scripts/build.sh"
build=${BUILD_DIR:-$top/build}
if [ $# -eq 0 ]; then
    mkdir -p "$top/station"
    set -- --folder "$top/station" --simulate
fi
exec "$build/app/winorbis" "$@"
