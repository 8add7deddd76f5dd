#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test (widgets on Qt's offscreen platform).
#
# The groups that run the installed programs play pictures at the pace of the air: minutes that
# mostly wait. So the programs are built first and those groups start at once, while the test
# programs are built (at a lower priority, so that the sound keeps its pace) and run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
build=${BUILD_DIR:-$top/build}
export QT_QPA_PLATFORM=offscreen
BUILD_TARGETS=installed-programs "$top/scripts/build.sh"

installed_log=$build/installed-tests.log
ctest --test-dir "$build" --output-on-failure -j"$(($(nproc) + 8))" -R '^installed\.' \
    >"$installed_log" 2>&1 &
installed=$!
# Whatever happens here, the installed groups are not left running behind the script.
trap 'kill "$installed" 2>/dev/null || true' EXIT

status=0
nice -n 10 "$top/scripts/build.sh" || status=$?
if [ "$status" -eq 0 ]; then
    # Four test programs for each processor: many of them wait on real time too.
    ctest --test-dir "$build" --output-on-failure -j"$((4 * $(nproc)))" -E '^installed\.' ||
        status=$?
fi
installed_status=0
wait "$installed" || installed_status=$?
trap - EXIT
echo "--- The installed programs ---"
cat "$installed_log"
[ "$status" -eq 0 ] && [ "$installed_status" -eq 0 ]
