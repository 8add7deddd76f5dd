#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the threaded tests with the thread sanitizer into build-tsan/ (or $BUILD_DIR) and runs
# them: the link (receive monitor, command gate, simulated converter), the link over a
# pseudo-terminal and across the network, the main window with its receive monitor, the program process, orbisctl,
# the simulator menu, the station core and the sound-card converter. Ends non-zero when a test fails or any process reports a data race, a lock
# order inversion or another thread-sanitizer finding; the reports are printed at the end and kept
# in build-tsan/tsan-logs/. JOBS=N limits the build to N parallel jobs, CTEST_JOBS the tests
# (default 1: the sanitizer slows every thread, and timeouts are tighter when tests share cores).
# Arguments after the script name are passed to ctest (e.g. -R ReceiveMonitor).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$top/build-tsan}
# The test folders whose programs run here, and those programs (with the ones they start).
dirs=(tests/link tests/app tests/tools tests/stationcore tests/radio)
targets=(test_link test_link_pty test_link_net test_app test_app_process winorbis test_orbisctl
         orbis-sim test_simulator_menu test_stationcore test_radio)

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWINORBIS_TSAN=ON \
      -DWINORBIS_SANITIZE=OFF -DWINORBIS_BENCH=OFF >/dev/null
cmake --build "$build" ${JOBS:+-j"$JOBS"} --target "${targets[@]}"

logs=$build/tsan-logs
rm -rf "$logs"
mkdir -p "$logs"
# Every process writes its reports to tsan-logs/report.<program>.<pid>, so that the reports of
# programs the tests start (winorbis, orbis-sim) are seen even where the test does not look at
# their exit status; exitcode=66 makes the reporting process fail its test as well.
# die_after_fork=0: tests start servers (ser2net) with QProcess while the link's threads run; the
# child only executes the server, which the sanitizer would otherwise refuse to let it do.
export TSAN_OPTIONS="halt_on_error=0 second_deadlock_stack=1 exitcode=66 log_exe_name=1 die_after_fork=0\
 log_path=$logs/report suppressions=$top/scripts/tsan.supp${TSAN_OPTIONS:+ $TSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen

# GCC 12's thread sanitizer expects the address layout of older kernels: with the larger mmap
# randomization of newer ones (vm.mmap_rnd_bits=28 and more) it may stop at start with
# "unexpected memory mapping". setarch -R turns randomization off for the tests and every program
# they start.
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then
    norandom=(setarch "$(uname -m)" -R)
fi

# The same window tests on Xvfb run once more in the normal build only: there Qt's X connection
# reads on a thread of its own inside libxcb, which is not built for the sanitizer and whose
# locking it cannot see.
status=0
for dir in "${dirs[@]}"; do
    "${norandom[@]}" ctest --test-dir "$build/$dir" --output-on-failure -j"${CTEST_JOBS:-1}" \
        -E '^app\.xvfb$' "$@" ||
        status=1
done

reports=("$logs"/report.*)
if [ -e "${reports[0]}" ]; then
    for report in "${reports[@]}"; do
        echo "==== ${report#"$logs"/}"
        cat "$report"
    done
    echo "tsan.sh: ${#reports[@]} process(es) reported thread-sanitizer findings (above)" >&2
    status=1
fi
exit "$status"
