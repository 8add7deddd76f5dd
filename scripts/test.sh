#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test (widgets on Qt's offscreen platform).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
build=${BUILD_DIR:-$top/build}
export QT_QPA_PLATFORM=offscreen
# Two test programs more than processors: the longest tests mostly wait on real time (pictures
# sent and received at the pace of the air) and start first.
ctest --test-dir "$build" --output-on-failure -j"$(($(nproc) + 2))"
