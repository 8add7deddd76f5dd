#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds WinOrbis with Ninja (and ccache when present) into build/ or $BUILD_DIR.
# BUILD_TARGETS (a list separated by spaces) builds only those targets and what they need;
# arguments go to the first configuration (e.g. -DWINORBIS_BENCH=OFF).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
read -r -a targets <<<"${BUILD_TARGETS:-}"
cmake --build "$build" ${targets[@]:+--target "${targets[@]}"}
