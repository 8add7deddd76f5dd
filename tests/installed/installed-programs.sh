#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The programs as they ship: installed into PREFIX (cmake --install) and run as a user's shell
# runs them, with a plain environment (no DISPLAY, no QT_QPA_PLATFORM), a fresh home and no
# terminal. Every command and option group of orbisctl --help runs at least once, against
# orbis-sim on a pseudo-terminal or on files; winorbis answers --help and --version and starts and
# ends on SIGTERM under Xvfb.
#
#   installed-programs.sh PREFIX GROUP
#
# GROUP: converter, beacon, files, log (KILLS=N kills during log add, default 40), handheld,
# winorbis, ptt (against rigctld), modem, soundcard, listen and web (MODEM_TEST_PICTURES: the
# helper that makes and compares their pictures; soundcard, listen and web start a private
# PulseAudio daemon; web drives Debian's chromium from Node, NODE_PATH holding playwright-core).
# Prints one line per check and "N passed, N failed" at the end; the status is 1 when a check
# failed.
set -uo pipefail

prefix=${1:?usage: installed-programs.sh PREFIX GROUP}
group=${2:?usage: installed-programs.sh PREFIX GROUP}
bin=$prefix/bin
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/winorbis-installed-XXXXXX")
mkdir -p "$work/home" "$work/station"
passed=0
failed=0
pids=()

cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    if [ -n "${KEEP_WORK:-}" ]; then echo "work kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

# A command as a user's shell starts it: the plain environment of a login, no controlling
# terminal (setsid), standard input from nowhere.
plain() {
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 USER="${USER:-user}" \
        setsid -w "$@" </dev/null
}

# The same in the background; $! is then the command's own process, so that a signal reaches it.
spawn() {
    (exec env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 USER="${USER:-user}" \
        setsid -w "$@" </dev/null) &
}

ok() {
    echo "ok: $1"
    passed=$((passed + 1))
}
bad() {
    echo "FAILED: $1"
    shift
    for detail in "$@"; do
        echo "    $detail"
    done
    failed=$((failed + 1))
}

# expect NAME STATUS PATTERN -- COMMAND...: runs COMMAND plainly; passes when it ends with STATUS
# and its output (standard output, then standard error) matches the extended regular expression
# PATTERN (empty: anything). The output stays in $work/out and $work/err.
expect() {
    local name=$1 status=$2 pattern=$3
    shift 4
    plain "$@" >"$work/out" 2>"$work/err"
    local got=$?
    if [ "$got" -ne "$status" ]; then
        bad "$name" "status $got, expected $status: $*" "out: $(head -c 600 "$work/out")" \
            "err: $(head -c 600 "$work/err")"
    elif [ -n "$pattern" ] && ! cat "$work/out" "$work/err" | grep -Eq -- "$pattern"; then
        bad "$name" "output does not match /$pattern/: $*" "out: $(head -c 600 "$work/out")" \
            "err: $(head -c 600 "$work/err")"
    else
        ok "$name"
    fi
}

# check NAME CONDITION...: a condition of the shell (test, grep ...).
check() {
    local name=$1
    shift
    if "$@"; then ok "$name"; else bad "$name" "$*"; fi
}

wait_for() { # wait_for SECONDS CONDITION...
    local tries=$(($1 * 10))
    shift
    while ! "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

# The simulated converter behind the stable name $work/orbis, its commands through descriptor 7
# and its log in $work/sim.log.
start_sim() {
    rm -f "$work/sim.in" "$work/orbis"
    mkfifo "$work/sim.in"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 \
        "$bin/orbis-sim" --link "$work/orbis" "$@" <"$work/sim.in" >"$work/sim.log" 2>&1 &
    pids+=($!)
    exec 7>"$work/sim.in"
    wait_for 10 test -e "$work/orbis" || bad "orbis-sim starts" "$(cat "$work/sim.log")"
}
sim() { echo "$*" >&7; }
stop_sim() {
    sim quit
    exec 7>&-
    wait "${pids[-1]}" 2>/dev/null
    unset 'pids[-1]'
}
sim_logged() { grep -q -- "$1" "$work/sim.log"; }
# Runs a command (sim's words, say) once the watch that follows says it is watching: it hears only
# what happens after it has opened the port, and on a loaded machine it may take longer than any
# fixed pause to get there.
when_watching() {
    : >"$work/err"
    (wait_for 60 grep -q 'watching the converter' "$work/err" && "$@") &
}

# A BMP picture of W x H pixels in one colour (24-bit, bottom-up), made without the programs.
make_bmp() { # make_bmp FILE W H B G R
    local file=$1 w=$2 h=$3 row=$((($2 * 3 + 3) / 4 * 4))
    le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) \
        $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
    local pixel y
    pixel=$(printf '\\x%02x\\x%02x\\x%02x' "$4" "$5" "$6")
    {
        printf "BM$(le32 $((54 + row * h)))$(le32 0)$(le32 54)"
        printf "$(le32 40)$(le32 "$w")$(le32 "$h")\\x01\\x00\\x18\\x00$(le32 0)$(le32 $((row * h)))"
        printf "$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)"
        for ((y = 0; y < h; y++)); do
            # printf repeats its format for every argument: one pixel per number.
            printf "$pixel%.0s" $(seq "$w")
            head -c $((row - w * 3)) /dev/zero
        done
    } >"$file"
}

group_converter() {
    start_sim
    local port=(--port "$work/orbis")
    expect "orbisctl identify" 0 '^76$' -- orbisctl "${port[@]}" identify
    expect "orbisctl --speed 2 identify" 0 '^76$' -- orbisctl "${port[@]}" --speed 2 identify
    # --com through the program folder's port map.
    printf 'COM3=%s\n' "$work/orbis" >"$work/station/ports.conf"
    expect "orbisctl --folder --com identify" 0 '^76$' -- \
        orbisctl --folder "$work/station" --com 3 identify
    expect "orbisctl send M1" 0 '' -- orbisctl "${port[@]}" send M1
    wait_for 5 sim_logged "transmit Martin 1"
    check "the converter transmits Martin 1" sim_logged "transmit Martin 1"
    expect "orbisctl freerun S2" 0 '' -- orbisctl "${port[@]}" freerun S2
    expect "orbisctl digitize" 0 '' -- orbisctl "${port[@]}" digitize
    expect "orbisctl memory 2" 0 '' -- orbisctl "${port[@]}" memory 2
    expect "orbisctl stop" 0 '' -- orbisctl "${port[@]}" stop
    wait_for 5 sim_logged "free run"
    check "the converter took the free run" sim_logged "free run"
    expect "orbisctl send with an unknown mode" 2 'unknown mode' -- orbisctl "${port[@]}" send X9

    make_bmp "$work/red.bmp" 64 48 0 0 255
    expect "orbisctl upload" 0 '' -- orbisctl "${port[@]}" upload "$work/red.bmp"
    expect "orbisctl upload with a caption" 0 '' -- \
        orbisctl "${port[@]}" upload "$work/red.bmp" --text "CQ DE TEST" --size 30
    expect "orbisctl fetch" 0 '' -- orbisctl "${port[@]}" fetch "$work/fetched.bmp"
    check "the fetched picture is 410 x 256" \
        grep -q '410 x 256' <(file "$work/fetched.bmp")

    # watch: a reception announced and saved.
    when_watching sim receive M2
    expect "orbisctl watch --save --count 1" 0 'saved .*\.jpg' -- \
        timeout 120 orbisctl "${port[@]}" watch --save "$work/saved" --count 1
    check "watch announced Martin 2" grep -q '^40 Martin 2' "$work/out"
    check "watch saved a JPEG" test -n "$(find "$work/saved" -name '*.jpg')"
    # A picture that cannot be written (the disk full: a file-size limit of 1 kB, room for the
    # command's words but not for a picture) is no success.
    mkdir -p "$work/full"
    when_watching sim receive M2
    expect "orbisctl watch --save ends with status 1 when the disk is full" 1 'cannot write' -- \
        sh -c 'ulimit -f 2; exec timeout 120 "$@"' sh orbisctl "${port[@]}" watch --save \
        "$work/full" --count 1
    check "and left no picture file behind" test -z "$(find "$work/full" -name '*.jpg' -size +0)"
    # watch ends with status 1 when the converter goes and it may not reconnect.
    when_watching sim unplug
    expect "orbisctl watch --no-reconnect on an unplug" 1 'lost' -- \
        timeout 120 orbisctl "${port[@]}" watch --no-reconnect
    sim plug
    wait_for 5 test -e "$work/orbis"
    stop_sim

    # Stale bytes of a fetch cut by a signal are never taken for the identify's answer.
    start_sim --paced
    spawn orbisctl "${port[@]}" fetch "$work/cut.bmp" >/dev/null 2>&1
    local fetch=$!
    sleep 0.8
    kill -TERM "$fetch" 2>/dev/null
    wait "$fetch" 2>/dev/null
    expect "orbisctl identify right after a cut fetch" 0 '^76$' -- orbisctl "${port[@]}" identify
    stop_sim
}

group_beacon() {
    start_sim
    local port=(--port "$work/orbis")
    mkdir -p "$work/station/im0"
    make_bmp "$work/station/im0/cat0.bmp" 64 48 255 0 0
    expect "orbisctl beacon of interval 0" 0 '^0 0 .*cat0\.bmp$' -- \
        orbisctl --folder "$work/station" "${port[@]}" beacon --page 0 --interval 0 --mode r36
    wait_for 5 sim_logged "transmit Robot 36"
    check "the beacon's picture went out in Robot 36" sim_logged "transmit Robot 36"
    expect "orbisctl beacon of an empty page" 1 '' -- \
        orbisctl --folder "$work/station" "${port[@]}" beacon --page 3 --interval 0
    expect "orbisctl beacon without --page" 2 'needs --page' -- orbisctl "${port[@]}" beacon

    # The converter unplugged and plugged in again while the beacon runs: the beacon waits for
    # it and goes on; what failed meanwhile was not counted as sent.
    ( sleep 2; sim unplug; sleep 3; sim plug ) &
    expect "orbisctl beacon across an unplug" 0 'connected again' -- \
        orbisctl --folder "$work/station" "${port[@]}" beacon --page 0 --interval 3 --count 3
    check "three pictures were reported sent" test "$(grep -c '^0 0 ' "$work/out")" -eq 3
    stop_sim
}

group_files() {
    expect "orbisctl --version" 0 'WinOrbis' -- orbisctl --version
    expect "orbisctl --help" 0 'Usage: orbisctl' -- orbisctl --help
    expect "orbisctl without a command" 2 'no command' -- orbisctl
    expect "orbisctl with an unknown option" 2 'unknown' -- orbisctl --frobnicate identify
    expect "orbisctl --folder that does not exist" 2 'no folder' -- \
        orbisctl --folder "$work/none" catalog
    : >"$work/plainfile"
    expect "orbisctl --folder that is a file" 2 'no folder' -- \
        orbisctl --folder "$work/plainfile" catalog

    make_bmp "$work/blue.bmp" 80 60 255 0 0
    expect "orbisctl caption" 0 '' -- \
        orbisctl --folder "$work/station" caption "$work/blue.bmp" "$work/captioned.jpg" \
        --text "DL0ABC 599" --at 10,200 --size 40 --angle 10 --bold --italic \
        --colour '#ffff00' --shadow '#000000'
    check "the captioned picture is written" test -s "$work/captioned.jpg"
    cp "$work/blue.bmp" "$work/station/callsign.bmp"
    expect "orbisctl caption --callsign --no-shadow" 0 '' -- \
        orbisctl --folder "$work/station" caption "$work/blue.bmp" "$work/call.bmp" \
        --text X --no-shadow --font "DejaVu Sans" --callsign

    # The station's callsign: in the settings and drawn into callsign.bmp; a new folder gets its
    # other starter files with it.
    mkdir -p "$work/newstation"
    expect "orbisctl callsign prints the picture's path" 0 "^$work/newstation/callsign.bmp\$" -- \
        orbisctl --folder "$work/newstation" callsign DL1ABC
    check "the callsign is in COM.DAT" grep -q $'^DL1ABC\r$' "$work/newstation/COM.DAT"
    check "callsign.bmp is a 220 x 52 BMP" grep -q '220 x 52' <(file "$work/newstation/callsign.bmp")
    check "the new folder got start.bmp and winorbis.txt" \
        test -s "$work/newstation/start.bmp" -a -s "$work/newstation/winorbis.txt"
    cp "$work/newstation/callsign.bmp" "$work/callsign-first.bmp"
    expect "orbisctl callsign again" 0 'callsign.bmp' -- \
        orbisctl --folder "$work/newstation" callsign G4XYZ
    cmp -s "$work/callsign-first.bmp" "$work/newstation/callsign.bmp"
    check "callsign.bmp is remade" test $? -ne 0
    check "the settings keep their 585 lines" \
        test "$(grep -c $'\r$' "$work/newstation/COM.DAT")" -eq 585
    expect "orbisctl callsign of nothing" 2 'empty' -- \
        orbisctl --folder "$work/newstation" callsign " "

    mkdir -p "$work/station/im2" "$work/station/TxKatalog"
    make_bmp "$work/station/im2/cat4.bmp" 32 32 0 255 0
    expect "orbisctl catalog" 0 '' -- orbisctl --folder "$work/station" catalog
    expect "orbisctl catalog copy" 0 '' -- orbisctl --folder "$work/station" catalog copy 2:4 tx1
    expect "orbisctl catalog name" 0 '' -- orbisctl --folder "$work/station" catalog name tx1 Hello
    expect "orbisctl catalog shows the name" 0 'Hello' -- orbisctl --folder "$work/station" catalog

    # The web face's password: from standard input only, and only its hash is kept.
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 setsid -w \
        orbisctl --folder "$work/station" web-password --stdin <<<"correct horse battery" \
        >"$work/out" 2>"$work/err"
    check "orbisctl web-password --stdin" grep -q 'station.conf' "$work/out"
    check "station.conf holds the password's Argon2id hash" \
        grep -Eq '^WebPassword=\$argon2id\$v=19\$m=[0-9]+,t=[0-9]+,p=[0-9]+\$' "$work/station/station.conf"
    grep -rqs "correct horse" "$work/station"
    check "the password itself is nowhere in the folder" test $? -ne 0
    expect "orbisctl web-password with no terminal and no --stdin" 2 'no terminal' -- \
        orbisctl --folder "$work/station" web-password
    expect "orbisctl web-password refuses a password on the command line" 2 'only --stdin' -- \
        orbisctl --folder "$work/station" web-password hunter22
    expect "orbisctl web-password refuses an empty password" 2 'at least 8' -- \
        orbisctl --folder "$work/station" web-password --stdin

    # The software modem: a picture sent as audio and received back.
    expect "orbisctl sstv encode" 0 '' -- \
        orbisctl sstv encode "$work/blue.bmp" "$work/m2.wav" --mode m2 --rate 11025 --vox
    expect "orbisctl sstv decode" 0 '^M2 256 -?[0-9]+ -?[0-9.]+$' -- \
        orbisctl sstv decode "$work/m2.wav" "$work/m2.png"
    check "the decoded picture is 320 x 256" grep -q '320 x 256' <(file "$work/m2.png")
    expect "orbisctl sstv encode in a mode of another program, with an FSK ID" 0 '' -- \
        orbisctl sstv encode "$work/blue.bmp" "$work/pd.wav" --mode pd50 --rate 8000 \
        --fsk-id dl1abc
    expect "orbisctl sstv decode reads the FSK ID" 0 '^FSKID DL1ABC$' -- \
        orbisctl sstv decode "$work/pd.wav" "$work/pd.png"
    expect "orbisctl sstv decode of no WAV" 2 'not a WAV' -- \
        orbisctl sstv decode "$work/blue.bmp" "$work/x.png"

    # A 1 s recording of 8-bit silence, 8000 Hz.
    {
        printf 'RIFF\x64\x1f\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00'
        printf '\x40\x1f\x00\x00\x01\x00\x08\x00data\x40\x1f\x00\x00'
        head -c 8000 /dev/zero | tr '\0' '\200'
    } >"$work/quiet.wav"
    expect "orbisctl analyze" 0 '' -- orbisctl analyze "$work/quiet.wav" --png "$work/tune.png"
    check "analyze wrote its picture" test -s "$work/tune.png"
    # Without a sound server the list is empty or the tool says why; it never crashes.
    plain orbisctl tune --list >"$work/out" 2>"$work/err"
    check "orbisctl tune --list ends without a crash" test $? -le 1

}

# The folder's starter log book, as a first start of the program makes it (the program started
# here only to make it, on Qt's offscreen platform).
starter_table() {
    local folder=$work/starter
    mkdir -p "$folder"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" QT_QPA_PLATFORM=offscreen \
        "$bin/winorbis" --folder "$folder" --simulate </dev/null >/dev/null 2>&1 &
    local program=$!
    wait_for 30 test -s "$folder/COM.DAT"
    kill -TERM "$program"
    wait "$program"
    cp "$folder/QSO.DB" "$1" || bad "the program's first start makes QSO.DB"
}

group_log() {
    local db=$work/QSO.DB
    starter_table "$db"
    expect "orbisctl log add" 0 'added record 1' -- \
        orbisctl log add "$db" Datum=2026-12-08 UTC=14:05 Rufzeichen=dl1abc Name=Jürgen
    expect "orbisctl log add with a bad date" 1 'no valid value' -- \
        orbisctl log add "$db" Datum=2026-13-45 Rufzeichen=X
    expect "orbisctl log add with an unknown field" 2 'no FIELD=VALUE' -- \
        orbisctl log add "$db" Colour=red
    expect "orbisctl log show" 0 'dl1abc' -- orbisctl log show "$db"
    expect "orbisctl log export" 0 '<CALL:6>DL1ABC .*<NAME:7>Juergen' -- orbisctl log export "$db"
    expect "orbisctl log export --out" 0 '' -- orbisctl log export "$db" --out "$work/log.adi"
    check "the ADIF file is ASCII" test -z "$(LC_ALL=C grep -P '[^\x00-\x7f]' "$work/log.adi")"

    # An encrypted or damaged header is refused at once, never read.
    cp "$db" "$work/enc.db"
    printf '\xc8' | dd of="$work/enc.db" bs=1 seek=38 conv=notrunc status=none
    expect "orbisctl log show of an encrypted table" 1 'encrypted' -- \
        timeout 10 orbisctl log show "$work/enc.db"

    # SIGKILLs at random moments of log add: the table always reads, with every record that was
    # reported added.
    local kills=${KILLS:-40} i reported=0 lost=0
    for ((i = 1; i <= kills; i++)); do
        spawn orbisctl log add "$db" "Rufzeichen=K$i" >"$work/added" 2>/dev/null
        local pid=$!
        sleep "0.$((RANDOM % 2))$((RANDOM % 10))$((RANDOM % 10))"
        kill -KILL "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        if ! plain orbisctl log show "$db" >"$work/show" 2>"$work/err"; then
            bad "the table reads after kill $i" "$(cat "$work/err")"
            return
        fi
        if grep -q '^added record' "$work/added"; then
            reported=$((reported + 1))
            grep -q $'\tK'"$i"$'\t' "$work/show" || lost=$((lost + 1))
        fi
    done
    check "after $kills kills the table reads; $reported adds reported, $lost of them lost" \
        test "$lost" -eq 0
    plain orbisctl log add "$db" Rufzeichen=LAST >/dev/null 2>&1
    check "no copy of a change older than a minute is left beside the table" \
        test -z "$(find "$work" -maxdepth 1 -name 'QSO.DB.winorbis-*' -mmin +1)"
}

group_handheld() {
    rm -f "$work/hh.in"
    mkfifo "$work/hh.in"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" "$bin/orbis-sim" --handheld \
        <"$work/hh.in" >"$work/hh.log" 2>&1 &
    pids+=($!)
    exec 8>"$work/hh.in"
    # It prints the name of its pseudo-terminal.
    wait_for 10 grep -q 'simulator on /dev/' "$work/hh.log" ||
        bad "orbis-sim --handheld starts" "$(cat "$work/hh.log")"
    local port=(--port "$(sed -n 's/.*simulator on \(\/dev\/[^ ]*\).*/\1/p' "$work/hh.log")")
    expect "orbisctl handheld read" 0 'call sign:' -- orbisctl "${port[@]}" handheld read
    expect "orbisctl handheld store" 0 '' -- orbisctl "${port[@]}" handheld store 2
    expect "orbisctl handheld recall" 0 '' -- orbisctl "${port[@]}" handheld recall 2
    expect "orbisctl handheld hold" 0 '' -- orbisctl "${port[@]}" handheld hold 3
    expect "orbisctl handheld release" 0 '' -- orbisctl "${port[@]}" handheld release 3
    expect "orbisctl handheld call" 0 '' -- orbisctl "${port[@]}" handheld call DL0ABC Yellow
    expect "orbisctl handheld report" 0 '' -- orbisctl "${port[@]}" handheld report 595 Red
    expect "orbisctl handheld message" 0 '' -- orbisctl "${port[@]}" handheld message HELLO Green
    expect "orbisctl handheld functions" 0 '' -- \
        orbisctl "${port[@]}" handheld functions --af-monitor on --call-display on \
        --power-save off --default-mode robot36 --variable-interval off --interval 30 \
        --repeater-id off
    expect "orbisctl handheld read after the changes" 0 'interval: 30 s' -- \
        orbisctl "${port[@]}" handheld read
    expect "orbisctl handheld with a bad page" 2 '' -- orbisctl "${port[@]}" handheld store 11
    # A block that no handheld sends (a colour beyond its eight) is refused, not shown.
    echo "colour 200" >&8
    sleep 0.3
    expect "orbisctl handheld read of a block that breaks its rules" 1 'no VC-H1 settings block' \
        -- orbisctl "${port[@]}" handheld read
    echo quit >&8
    exec 8>&-
}

# The names of the top-level windows shown on the display, one a line.
shown_windows() {
    local id
    for id in $(DISPLAY=$1 xwininfo -root -children | grep -o '^ *0x[0-9a-f]*'); do
        if DISPLAY=$1 xwininfo -id "$id" | grep -q 'Map State: IsViewable'; then
            DISPLAY=$1 xwininfo -id "$id" | sed -n 's/^xwininfo: Window id: 0x[0-9a-f]* "\(.*\)"$/\1/p'
        fi
    done
}

group_winorbis() {
    expect "winorbis --help" 0 'Usage' -- winorbis --help
    expect "winorbis --version" 0 'WinOrbis 70p' -- winorbis --version
    expect "orbis-sim --version" 0 'WinOrbis 70p' -- orbis-sim --version
    expect "orbis-sim --help" 0 'Usage: orbis-sim' -- orbis-sim --help
    if ! command -v Xvfb >/dev/null; then
        bad "Xvfb is installed (scripts/install-deps.sh installs it)"
        return
    fi
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    wait_for 10 test -e "/tmp/.X11-unix/X${display#:}" || bad "Xvfb starts"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 DISPLAY="$display" \
        setsid "$bin/winorbis" --folder "$work/station" --simulate </dev/null \
        >"$work/winorbis.out" 2>"$work/winorbis.err" &
    local program=$!
    wait_for 30 test -e "$work/station/COM.DAT"
    sleep 2
    if kill -0 "$program" 2>/dev/null; then ok "winorbis starts under Xvfb"; else
        bad "winorbis starts under Xvfb" "$(cat "$work/winorbis.err")"
    fi
    # Hamlib and the sound system, and the libraries they bring, are loaded when a rig keys or a
    # sound device is used, not at every start.
    check "winorbis has not loaded Hamlib or the sound system at start" \
        sh -c "! grep -q -e libhamlib -e winorbis-sound -e libQt6Multimedia -e libpulse /proc/$program/maps"
    # A first start in a new folder shows the main window and no box: the folder got its
    # starter files.
    local shown
    shown=$(shown_windows "$display" | sed 's/^ *//' | paste -sd '|')
    check "the first start shows only the main window (shown: $shown)" \
        test "$shown" = "WinOrbis 70 p Version 3.00e"
    check "the new folder got start.bmp, winorbis.txt and callsign.bmp" test -s \
        "$work/station/start.bmp" -a -s "$work/station/winorbis.txt" -a -s "$work/station/callsign.bmp"
    kill -TERM "$program"
    wait "$program"
    local status=$?
    check "winorbis ends on SIGTERM with status 0 (got $status)" test "$status" -eq 0
    check "winorbis wrote its 585 settings lines" \
        test "$(grep -c $'\r$' "$work/station/COM.DAT")" -eq 585

    # Started without a converter option, the program runs on the converter station.conf
    # chooses: here the sound card, whose devices (no sound server) are said and left out.
    # Its web face as the setup window's "Web access" keeps it in station.conf.
    local sound=$work/sound-station web_port=$((20000 + RANDOM % 20000))
    mkdir -p "$sound"
    printf 'Converter=sound card\nSoundCapture=NoSuchCard\nSoundPlayback=NoSuchCard\n' \
        >"$sound/station.conf"
    printf 'WebAccess=1\nWebPort=127.0.0.1:%s\n' "$web_port" >>"$sound/station.conf"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 DISPLAY="$display" \
        TMPDIR="$sound" PULSE_SERVER=unix:/nonexistent/no-sound-server \
        setsid "$bin/winorbis" --folder "$sound" </dev/null \
        >"$work/winorbis-sound.out" 2>"$work/winorbis-sound.err" &
    program=$!
    wait_for 30 test -e "$sound/COM.DAT"
    sleep 2
    check "station.conf's sound-card converter runs inside the program, with no line of its own" \
        test -z "$(find "$sound" -maxdepth 2 -path '*/winorbis-sound-*')"
    check "station.conf's web access starts the web face" \
        grep -q "Web face on http://127.0.0.1:$web_port/" "$work/winorbis-sound.err"
    check "the web face serves its page" \
        sh -c "curl -s --max-time 5 http://127.0.0.1:$web_port/ | grep -q '<title>WinOrbis 70p'"
    kill -TERM "$program"
    wait "$program"
    status=$?
    check "winorbis on the sound card ends on SIGTERM with status 0 (got $status)" \
        test "$status" -eq 0
    check "the sound devices it could not open are said" \
        grep -q 'sound card: no sound capture' "$work/winorbis-sound.err"
    expect "winorbis --web refuses an address other machines reach without a password" 1 \
        'listens on 0\.0\.0\.0:8070 only with a password' -- \
        env DISPLAY="$display" winorbis --folder "$work/web-refused" --simulate --web 0.0.0.0:8070
}

# The WAV file's header matches its length: RIFF size and data size.
wav_whole() { # wav_whole FILE
    local size riff data
    size=$(stat -c %s "$1") || return 1
    riff=$(od -An -tu4 -j4 -N4 "$1" | tr -d ' ')
    data=$(od -An -tu4 -j40 -N4 "$1" | tr -d ' ')
    [ "$size" -gt 44 ] && [ "$riff" -eq $((size - 8)) ] && [ "$data" -eq $((size - 44)) ]
}

group_modem() {
    local pictures=${MODEM_TEST_PICTURES:?the modem group needs MODEM_TEST_PICTURES}
    expect "orbis-modem --version" 0 'WinOrbis' -- orbis-modem --version
    expect "orbis-modem --help" 0 '--input FILE.wav' -- orbis-modem --help
    expect "orbis-modem without --link" 2 'link NAME is required' -- orbis-modem
    expect "orbis-modem with an unknown PTT" 2 'unknown kind' -- \
        orbis-modem --link "$work/x" --ptt carrier-pigeon
    expect "orbis-modem with a missing recording" 1 'missing.wav' -- \
        orbis-modem --link "$work/x" --input "$work/missing.wav"
    expect "orbis-modem --help names the camera" 0 '--camera NAME' -- orbis-modem --help
    expect "orbis-modem with a camera that is not there" 1 'No Such Camera' -- \
        env PULSE_SERVER=unix:/nonexistent/no-sound-server orbis-modem --link "$work/x" \
        --camera "No Such Camera"
    "$pictures" frame "$work/frame.png" || bad "the test picture is made"

    # All at once, as each takes its mode's time on the air: a recording in each mode received
    # and fetched by orbisctl watch, a picture uploaded and sent in Martin 1 into a WAV file, and
    # a transmission cut by SIGTERM.
    local modes=(R36 R72 M1 M2 S1 S2) m
    declare -A watchers modems
    for m in "${modes[@]}"; do
        "$pictures" record "$m" "$work/frame.png" "$work/$m.wav" || bad "the $m recording is made"
        mkdir -p "$work/saved-$m"
    done
    # Each recording begins with 3 s of silence: time enough for its watch to connect, when the
    # watch starts right after its converter (and no recording is made in between).
    for m in "${modes[@]}"; do
        spawn orbis-modem --link "$work/modem-$m" --input "$work/$m.wav" >"$work/modem-$m.log" 2>&1
        modems[$m]=$!
        pids+=("${modems[$m]}")
        wait_for 3 test -e "$work/modem-$m" || bad "orbis-modem for $m starts"
        spawn orbisctl --port "$work/modem-$m" watch --save "$work/saved-$m" --count 1 \
            >"$work/watch-$m.out" 2>&1
        watchers[$m]=$!
        pids+=("${watchers[$m]}")
    done
    spawn orbis-modem --link "$work/modem-tx" --output "$work/tx.wav" --ptt vox \
        >"$work/modem-tx.log" 2>&1
    local transmitter=$!
    spawn orbis-modem --link "$work/modem-cut" --output "$work/cut.wav" --rate 22050 \
        >"$work/modem-cut.log" 2>&1
    local cut=$!
    pids+=("$transmitter" "$cut")
    wait_for 10 test -e "$work/modem-tx" -a -e "$work/modem-cut" || bad "orbis-modem starts"
    expect "orbisctl upload to orbis-modem" 0 '' -- \
        orbisctl --port "$work/modem-tx" upload "$work/frame.png"
    expect "orbisctl send M1 to orbis-modem" 0 '' -- orbisctl --port "$work/modem-tx" send M1
    expect "orbisctl send R36 to the one to be cut" 0 '' -- \
        orbisctl --port "$work/modem-cut" send R36
    wait_for 10 grep -q 'Transmitting Robot 36' "$work/modem-cut.log"
    sleep 3
    kill -TERM "$cut"
    wait "$cut"
    local status=$?
    check "orbis-modem ends on SIGTERM with status 0 (got $status)" test "$status" -eq 0
    check "SIGTERM cut the transmission" grep -q 'Transmission cut' "$work/modem-cut.log"
    check "the cut transmission's WAV is whole" wav_whole "$work/cut.wav"
    check "the cut transmission's WAV holds about 3 s" \
        test "$(stat -c %s "$work/cut.wav")" -gt $((22050 * 2 * 2))

    for m in "${modes[@]}"; do
        wait "${watchers[$m]}"
        status=$?
        check "orbisctl watch fetched the $m reception (status $status)" test "$status" -eq 0
        kill -TERM "${modems[$m]}" 2>/dev/null
        wait "${modems[$m]}" 2>/dev/null
        check "orbis-modem announced $m from its VIS" grep -q '^Receiving .* (VIS)$' "$work/modem-$m.log"
        check "orbis-modem received all lines of $m" grep -Eq '^Received .*: (240|256) lines' \
            "$work/modem-$m.log"
        local saved
        saved=$(find "$work/saved-$m" -name '*.jpg' | head -1)
        if [ -z "$saved" ]; then
            bad "the $m picture was saved" "$(cat "$work/watch-$m.out" "$work/modem-$m.log")"
            continue
        fi
        local db
        db=$("$pictures" psnr "$work/frame.png" "$saved" 10)
        echo "    $m: $db dB"
        check "the $m picture fetched matches the recording's ($db dB)" \
            awk -v db="$db" 'BEGIN { exit !(db >= 30) }'
    done

    wait_for 150 grep -q 'Transmission ended' "$work/modem-tx.log"
    check "orbis-modem sent Martin 1 with VOX tones" grep -q 'Transmitting Martin 1' "$work/modem-tx.log"
    check "the Martin 1 transmission ended" grep -q 'Transmission ended' "$work/modem-tx.log"
    check "the transmission's WAV is whole" wav_whole "$work/tx.wav"
    expect "the transmission decodes as Martin 1" 0 '^M1 256 ' -- \
        orbisctl sstv decode "$work/tx.wav" "$work/tx.png"
    # Against the converter's memory after the upload, which the program fills in its own way.
    "$pictures" uploaded "$work/frame.png" "$work/memory.png" || bad "the memory picture is made"
    local db
    db=$("$pictures" psnr "$work/memory.png" "$work/tx.png")
    echo "    sent M1: $db dB"
    check "the Martin 1 picture sent matches the upload ($db dB)" \
        awk -v db="$db" 'BEGIN { exit !(db >= 30) }'
    kill -TERM "$transmitter"
    wait "$transmitter"
}

# A private PulseAudio daemon for the sound-card group: its own socket and runtime folder, no
# autospawn, one null sink per mode with its monitor remapped to a capture source (the sound
# server's monitor sources are not offered as capture devices). Every other group stays away.
pulse_start() {
    local dir=$work/pulse
    mkdir -p "$dir/run"
    echo "autospawn = no" >"$dir/client.conf"
    pulse_env=(PULSE_SERVER="unix:$dir/native" PULSE_CLIENTCONFIG="$dir/client.conf")
    local modules=(-L "module-native-protocol-unix socket=$dir/native auth-anonymous=1") m
    for m in "$@"; do
        modules+=(-L "module-null-sink sink_name=sink_$m sink_properties=device.description=OrbisSink$m")
        modules+=(-L "module-remap-source source_name=capture_$m master=sink_$m.monitor source_properties=device.description=OrbisCapture$m")
    done
    (exec env -i HOME="$dir" PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$dir/run" \
        PULSE_RUNTIME_PATH="$dir/run/pulse" PULSE_STATE_PATH="$dir/state" \
        "${pulse_env[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disable-shm=yes \
        --use-pid-file=no --system=no --log-target=stderr "${modules[@]}") \
        >>"$work/pulse.log" 2>&1 &
    pulse_pid=$!
    pids+=("$pulse_pid")
    wait_for 10 env "${pulse_env[@]}" pactl info >/dev/null 2>&1
}

# The other way, in the sound-card group: the program that heard Robot 36 (pid $1, alone on X
# display $2) sends its TX picture in Robot 36 by its TX button, through the same sink, and an
# orbis-modem hears it; then the program ends.
soundcard_window_sends() {
    local program=$1 display=$2 db
    wait_for 60 sh -c "find '$work/win-R36' -maxdepth 2 -iname bild1.bmp | grep -q ."
    spawn env "${pulse_env[@]}" orbis-modem --link "$work/rxw" --capture OrbisCaptureR36 \
        >"$work/rxw.log" 2>&1
    local listener=$!
    pids+=("$listener")
    wait_for 10 test -e "$work/rxw" || bad "the orbis-modem that hears the program starts"
    local window
    window=$(DISPLAY="$display" xdotool search --onlyvisible --pid "$program" \
        --name 'WinOrbis 70 p Version' 2>/dev/null | head -1)
    # The R 36 button of the TX modes, from the top left of the main window.
    for _ in 1 2 3; do
        [ -n "$window" ] || break
        DISPLAY="$display" xdotool windowraise "$window" mousemove --window "$window" 34 91 click 1
        wait_for 10 grep -q '^Receiving' "$work/rxw.log" && break
    done
    wait_for 60 grep -q '^Received ' "$work/rxw.log"
    if grep -Eq '^Received Robot 36: 240 lines' "$work/rxw.log"; then
        ok "the program's R36 button sent its TX picture through the sound card"
        plain orbisctl --port "$work/rxw" fetch "$work/rxw.bmp" || bad "that picture is fetched"
        # The sound card sends the TX picture itself, scaled to the mode; the listener's memory
        # holds it over all its columns.
        "$pictures" fetched "$work/win-R36/start.bmp" "$work/win-fetched.png" ||
            bad "the picture the program sent, as fetched, is made"
        db=$("$pictures" psnr "$work/win-fetched.png" "$work/rxw.bmp")
        echo "    R36 sent by the program: $db dB"
        # The colour bars have the sharpest edges a picture has: 25 dB.
        check "the program's R36 picture received matches its TX picture ($db dB, at least 25)" \
            awk -v db="$db" 'BEGIN { exit !(db >= 25) }'
    else
        bad "the program's R36 button sent its TX picture through the sound card" \
            "$(cat "$work/rxw.log")" "$(tail -5 "$work/win-R36.err")"
    fi
    kill -TERM "$program" "$listener" 2>/dev/null
    wait "$program"
    local status=$?
    check "winorbis on the sound card ends in order after sending (status $status)" \
        test "$status" -eq 0
}

group_soundcard() {
    local pictures=${MODEM_TEST_PICTURES:?the soundcard group needs MODEM_TEST_PICTURES}
    if ! command -v pulseaudio >/dev/null; then
        bad "pulseaudio is installed (scripts/install-deps.sh installs it)"
        return
    fi
    local modes=(R36 R72 M1 M2 S1 S2) m
    pulse_start "${modes[@]}" PD120 || { bad "the private sound server starts" "$(cat "$work/pulse.log")"; return; }
    ok "the private sound server starts"
    expect "orbis-modem --list-devices names the sound server's devices" 0 'OrbisCaptureM1' -- \
        env "${pulse_env[@]}" orbis-modem --list-devices
    expect "orbis-modem with a capture device that does not exist" 1 'NoSuchCard' -- \
        env "${pulse_env[@]}" orbis-modem --link "$work/x" --capture NoSuchCard
    "$pictures" frame "$work/frame.png" || bad "the test picture is made"
    "$pictures" uploaded "$work/frame.png" "$work/memory.png" || bad "the memory picture is made"

    # One station sends in each mode through a null sink; a second hears its monitor. All six
    # pairs at once, each on its own sink.
    declare -A senders receivers watchers
    start_sender() {
        spawn env "${pulse_env[@]}" orbis-modem --link "$work/tx-$1" --playback "OrbisSink$1" \
            >>"$work/tx-$1.log" 2>&1
        senders[$1]=$!
        pids+=("${senders[$1]}")
    }
    start_receiver() {
        spawn env "${pulse_env[@]}" orbis-modem --link "$work/rx-$1" --capture "OrbisCapture$1" \
            --save "$work/saved-$1" >>"$work/rx-$1.log" 2>&1
        receivers[$1]=$!
        pids+=("${receivers[$1]}")
    }
    for m in "${modes[@]}"; do
        start_sender "$m"
        start_receiver "$m"
    done
    # Beside each orbis-modem receiver, the program itself on the sound card hears the same sink:
    # its automatic fetch takes the picture into the RX window and the first slot's file. The one
    # that hears Robot 36 has an X display of its own: it sends from its button later, while the
    # others still receive.
    local display=:$((90 + RANDOM % 100)) windows=()
    local display36=:$((200 + RANDOM % 100)) displaypd=:$((300 + RANDOM % 100))
    for d in "$display" "$display36" "$displaypd"; do
        Xvfb "$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        pids+=($!)
        wait_for 10 test -e "/tmp/.X11-unix/X${d#:}" || bad "Xvfb starts on $d"
    done
    for m in "${modes[@]}"; do
        mkdir -p "$work/win-$m"
        printf 'Converter=sound card\nSoundCapture=OrbisCapture%s\nSoundPlayback=OrbisSink%s\n' \
            "$m" "$m" >"$work/win-$m/station.conf"
        local d=$display
        [ "$m" = R36 ] && d=$display36
        env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 DISPLAY="$d" \
            TMPDIR="$work/win-$m" "${pulse_env[@]}" setsid "$bin/winorbis" --folder "$work/win-$m" \
            </dev/null >"$work/win-$m.out" 2>"$work/win-$m.err" &
        windows+=($!)
        pids+=($!)
    done
    # And one more, alone on its display, hears PD 120, a mode the box does not have, played into
    # its sink from a recording.
    mkdir -p "$work/win-PD120"
    printf 'Converter=sound card\nSoundCapture=OrbisCapturePD120\nSoundPlayback=OrbisSinkPD120\n' \
        >"$work/win-PD120/station.conf"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 DISPLAY="$displaypd" \
        TMPDIR="$work/win-PD120" "${pulse_env[@]}" setsid "$bin/winorbis" --folder "$work/win-PD120" \
        </dev/null >"$work/win-PD120.out" 2>"$work/win-PD120.err" &
    local windowpd=$!
    pids+=("$windowpd")
    for m in "${modes[@]}" PD120; do
        wait_for 30 test -e "$work/win-$m/COM.DAT" || bad "winorbis on the sound card starts for $m"
    done
    "$pictures" frame "$work/frame-pd.png" &&
        plain orbisctl sstv encode --mode pd120 "$work/frame-pd.png" "$work/pd120.wav" ||
        bad "the PD 120 recording is made"
    spawn env "${pulse_env[@]}" paplay --device=sink_PD120 "$work/pd120.wav"
    pids+=($!)
    for m in "${modes[@]}"; do
        if ! wait_for 10 test -e "$work/tx-$m" -a -e "$work/rx-$m"; then
            # The private sound server, with some forty clients connecting at once on a loaded
            # machine, may refuse one its first connection ("pa_context_connect() failed"): a
            # station that ended so is started once more.
            kill -0 "${senders[$m]}" 2>/dev/null || start_sender "$m"
            kill -0 "${receivers[$m]}" 2>/dev/null || start_receiver "$m"
            wait_for 10 test -e "$work/tx-$m" -a -e "$work/rx-$m" || bad "the $m stations start" \
                "$(cat "$work/tx-$m.log" "$work/rx-$m.log")"
        fi
        spawn orbisctl --port "$work/rx-$m" watch --count 1 >"$work/watch-$m.out" 2>&1
        watchers[$m]=$!
        pids+=("${watchers[$m]}")
        plain orbisctl --port "$work/tx-$m" upload "$work/frame.png" || bad "upload for $m"
        plain orbisctl --port "$work/tx-$m" send "$m" || bad "send $m"
    done
    for m in "${modes[@]}"; do
        wait_for 170 grep -q '^Received ' "$work/rx-$m.log"
        check "the $m picture was received" grep -Eq '^Received .*: (240|256) lines' "$work/rx-$m.log"
        # The watch ends with its picture; without one it is ended, so that the group goes on.
        wait_for 20 sh -c "! kill -0 ${watchers[$m]} 2>/dev/null" || kill "${watchers[$m]}"
        wait "${watchers[$m]}"
        check "the converter announced $m to the program" grep -q "$m\|$(mode_name "$m")" \
            "$work/watch-$m.out"
        plain orbisctl --port "$work/rx-$m" fetch "$work/rx-$m.bmp" || bad "the $m picture is fetched"
        wait_for 5 grep -q "$(mode_name "$m")" "$work/saved-$m/received.log"
        check "orbis-modem --save kept the $m picture at its own size" \
            sh -c "file '$work'/saved-$m/*.jpg | grep -q ', $(mode_size "$m"),'"
        check "and noted it in received.log" grep -q "	$(mode_name "$m")	" \
            "$work/saved-$m/received.log"
        local db
        db=$("$pictures" psnr "$work/memory.png" "$work/rx-$m.bmp" 10)
        echo "    $m over the sound server: $db dB"
        local least=30
        check "the $m picture received matches the one sent ($db dB, at least $least)" \
            awk -v db="$db" -v least="$least" 'BEGIN { exit !(db >= least) }'
        kill -TERM "${senders[$m]}" "${receivers[$m]}" 2>/dev/null
        [ "$m" = R36 ] && soundcard_window_sends "${windows[0]}" "$display36"
    done
    local i=0 slot
    for m in "${modes[@]}"; do
        wait_for 60 sh -c "find '$work/win-$m' -maxdepth 2 -iname bild1.bmp | grep -q ."
        slot=$(find "$work/win-$m" -maxdepth 2 -iname bild1.bmp | head -1)
        if [ -z "$slot" ]; then
            bad "the program on the sound card stored the $m picture in its first slot" \
                "$(cat "$work/win-$m.err")"
        else
            db=$("$pictures" psnr "$work/memory.png" "$slot" 10)
            echo "    $m in the program's slot: $db dB"
            check "the $m picture in the program's slot matches the one sent ($db dB, at least 30)" \
                awk -v db="$db" 'BEGIN { exit !(db >= 30) }'
        fi
        i=$((i + 1))
    done

    # PD 120 at its own size in the slot and the log, and in the RX window with its aspect: the
    # window's background beside the picture.
    wait_for 60 sh -c "find '$work/win-PD120' -maxdepth 2 -iname bild1.bmp | grep -q ."
    slot=$(find "$work/win-PD120" -maxdepth 2 -iname bild1.bmp | head -1)
    check "the program on the sound card stored the PD 120 picture at 640 x 496" \
        sh -c "file '$slot' | grep -q '640 x 496'"
    check "and noted PD 120 in received.log" grep -q "	PD 120	" \
        "$work/win-PD120/AutoSpeichern/received.log"
    local winpd bars
    winpd=$(DISPLAY="$displaypd" xdotool search --onlyvisible --pid "$windowpd" \
        --name 'WinOrbis 70 p Version' 2>/dev/null | head -1)
    if [ -n "$winpd" ] && bars=$(DISPLAY="$displaypd" "$pictures" bars "$winpd"); then
        check "the RX window shows PD 120 with its aspect ($bars columns of background beside it)" \
            test "${bars:-0}" -ge 4
    else
        bad "a screenshot of the window that heard PD 120"
    fi
    kill -TERM "$windowpd" 2>/dev/null
    wait "$windowpd"
    local pdstatus=$?
    check "winorbis on the sound card ends in order after the PD 120 picture (status $pdstatus)" \
        test "$pdstatus" -eq 0

    # The programs that heard the other modes end in order (Robot 36's ended after sending).
    i=0
    for m in "${modes[@]}"; do
        if [ "$m" != R36 ]; then
            kill -TERM "${windows[$i]}" 2>/dev/null
            wait "${windows[$i]}"
            local status=$?
            check "winorbis on the sound card ends in order after the $m picture (status $status)" \
                test "$status" -eq 0
        fi
        i=$((i + 1))
    done

    # winorbis on the sound card, keyed through rigctld, killed while it sends Robot 36: its
    # guardian releases the transmitter.
    rig_start || return
    mkdir -p "$work/win-ptt"
    printf 'Converter=sound card\nSoundPlayback=OrbisSinkR36\nPtt=rigctld:127.0.0.1:%s\n' \
        "$rig_port" >"$work/win-ptt/station.conf"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 DISPLAY="$display36" \
        TMPDIR="$work/win-ptt" "${pulse_env[@]}" setsid "$bin/winorbis" --folder "$work/win-ptt" \
        </dev/null >"$work/win-ptt.out" 2>"$work/win-ptt.err" &
    local keyer=$! window=
    pids+=("$keyer")
    wait_for 30 test -e "$work/win-ptt/COM.DAT" || bad "winorbis with rigctld starts"
    for _ in 1 2 3 4 5; do
        window=$(DISPLAY="$display36" xdotool search --onlyvisible --pid "$keyer" \
            --name 'WinOrbis 70 p Version' 2>/dev/null | head -1)
        [ -n "$window" ] && break
        sleep 1
    done
    for _ in 1 2 3; do
        [ -n "$window" ] || break
        DISPLAY="$display36" xdotool windowraise "$window" mousemove --window "$window" 34 91 click 1
        wait_for 10 keyed && break
    done
    if keyed; then
        ok "winorbis on the sound card keys the transmitter through rigctld for Robot 36"
        kill -KILL "$keyer"
        released_within "winorbis on the sound card"
    else
        bad "winorbis on the sound card keys the transmitter through rigctld for Robot 36" \
            "$(cat "$work/win-ptt.err")"
        kill -KILL "$keyer"
    fi

    # The sound server ends in the middle of a reception: the converter says so, stays up, and
    # hears again once a server is back.
    spawn env "${pulse_env[@]}" orbis-modem --link "$work/tx-gone" --playback OrbisSinkR36 \
        >"$work/tx-gone.log" 2>&1
    local sender=$!
    spawn env "${pulse_env[@]}" orbis-modem --link "$work/rx-gone" --capture OrbisCaptureR36 \
        >"$work/rx-gone.log" 2>&1
    local receiver=$!
    pids+=("$sender" "$receiver")
    wait_for 10 test -e "$work/tx-gone" -a -e "$work/rx-gone" || bad "the stations start"
    plain orbisctl --port "$work/tx-gone" send R36 || bad "send R36"
    wait_for 20 grep -q '^Receiving Robot 36' "$work/rx-gone.log"
    kill -KILL "$pulse_pid"
    wait_for 10 grep -q '^Capture: ' "$work/rx-gone.log"
    check "the lost sound server is reported" grep -q '^Capture: .*has gone' \
        "$work/rx-gone.log"
    check "orbis-modem outlives its sound server" kill -0 "$receiver"
    pulse_start R36 || bad "the sound server starts again"
    wait_for 20 grep -q '^Capture works again' "$work/rx-gone.log"
    check "the capture comes back with the sound server" grep -q '^Capture works again' \
        "$work/rx-gone.log"
    # Both end in order: the sound system's clean-up at exit, which can abort once its server has
    # gone and come back, is left out.
    kill -TERM "$sender" "$receiver" 2>/dev/null
    local status end
    for end in "$sender tx sending" "$receiver rx receiving"; do
        set -- $end
        wait "$1"
        status=$?
        [ "$status" -eq 0 ] && ok "the $3 orbis-modem ends in order after all that" ||
            bad "the $3 orbis-modem ends in order after all that (status $status)" \
                "$(cat "$work/$2-gone.log")"
    done

    # The sound server hangs (stopped, not gone): SIGTERM still ends orbis-modem and winorbis on
    # the sound card within 2 s, with their files whole.
    spawn env "${pulse_env[@]}" orbis-modem --link "$work/rx-frozen" --capture OrbisCaptureR36 \
        --output "$work/frozen.wav" --save "$work/saved-R36" >"$work/rx-frozen.log" 2>&1
    receiver=$!
    pids+=("$receiver")
    mkdir -p "$work/win-frozen"
    printf 'Converter=sound card\nSoundCapture=OrbisCaptureR36\nSoundPlayback=OrbisSinkR36\n' \
        >"$work/win-frozen/station.conf"
    env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 DISPLAY="$display" \
        TMPDIR="$work/win-frozen" "${pulse_env[@]}" setsid "$bin/winorbis" \
        --folder "$work/win-frozen" </dev/null >"$work/win-frozen.out" 2>"$work/win-frozen.err" &
    local program=$!
    pids+=("$program")
    wait_for 10 test -e "$work/rx-frozen" || bad "orbis-modem starts before the server hangs"
    wait_for 30 test -e "$work/win-frozen/COM.DAT" || bad "winorbis starts before the server hangs"
    sleep 2
    kill -STOP "$pulse_pid"
    # The capture is noticed silent after 5 s; its next opening then hangs in the server.
    wait_for 10 grep -q 'has brought no sound' "$work/rx-frozen.log"
    # A transmission into the output file is under way when the signal comes.
    plain orbisctl --port "$work/rx-frozen" send R36 || bad "send R36 with the server stopped"
    wait_for 5 grep -q '^Transmitting Robot 36' "$work/rx-frozen.log"
    sleep 2
    local start ms
    start=$(date +%s%N)
    kill -TERM "$receiver" "$program"
    wait "$receiver"
    local receiver_status=$?
    wait "$program"
    status=$?
    ms=$((($(date +%s%N) - start) / 1000000))
    kill -CONT "$pulse_pid"
    echo "    both ended $ms ms after SIGTERM with the sound server stopped"
    check "SIGTERM ends orbis-modem and winorbis within 2 s although the sound server hangs ($ms ms)" \
        test "$ms" -lt 2000
    check "orbis-modem ended in order (status $receiver_status)" test "$receiver_status" -eq 0
    check "winorbis ended in order (status $status)" test "$status" -eq 0
    check "orbis-modem's output is whole" wav_whole "$work/frozen.wav"
    check "received.log is whole: every line has its four fields" \
        awk -F '\t' 'NF != 4 { exit 1 }' "$work/saved-R36/received.log"
    check "winorbis wrote its settings whole (585 lines)" \
        test "$(wc -l <"$work/win-frozen/COM.DAT")" -eq 585
}

# A 16-bit mono WAV at RATE of the raw samples on standard input.
wav_of_raw() { # wav_of_raw RATE <RAW >WAV
    local raw
    raw=$(mktemp "$work/raw-XXXXXX")
    cat >"$raw"
    local n rate=$1
    n=$(stat -c %s "$raw")
    le() { # le BYTES VALUE
        local i
        for ((i = 0; i < $1; i++)); do printf "\\x$(printf %02x $((($2 >> (8 * i)) & 255)))"; done
    }
    printf 'RIFF'; le 4 $((36 + n)); printf 'WAVEfmt '; le 4 16; le 2 1; le 2 1
    le 4 "$rate"; le 4 $((rate * 2)); le 2 2; le 2 16; printf 'data'; le 4 "$n"
    cat "$raw"
    rm -f "$raw"
}

# A client of the private sound server records (the remapped sources' own streams are the
# server's).
recording() {
    env "${pulse_env[@]}" pactl list short source-outputs 2>/dev/null | grep -q protocol-native
}

# A command as a user's shell starts it with a pipe on its standard input, which gives FILE (with
# a pause of PAUSE seconds after its first half).
piped() { # piped FILE [--pause PAUSE] COMMAND...
    local file=$1 pause=0 half
    shift
    if [ "$1" = --pause ]; then
        pause=$2
        shift 2
    fi
    half=$(($(stat -c %s "$file") / 2))
    { head -c "$half" "$file"; sleep "$pause"; tail -c +$((half + 1)) "$file"; } |
        env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 USER="${USER:-user}" \
            setsid -w "$@"
}

# The JPEG sizes and modes of a received.log, one "MODE SIZE CALLSIGN" line each.
logged_pictures() { # logged_pictures LOG
    local when mode slot jpeg call
    while IFS=$'\t' read -r when mode slot jpeg call; do
        echo "$mode $(file -b "$jpeg" | grep -Eo '[0-9]+x[0-9]+,' | tail -1 | tr -d ,) ${call:--}"
    done <"$1"
}

# orbisctl listen, the station that only receives: from a sound server's capture device that goes
# and comes back, from a recording and from a pipe. Once back, the capture hears B/W 8 (8 s, the
# shortest mode) on the air while the other inputs are decoded.
group_listen() {
    expect "orbisctl listen without --save" 2 'needs --save' -- orbisctl listen --input x.wav
    expect "orbisctl listen with two inputs" 2 'one of --capture and --input' -- \
        orbisctl listen --save "$work/l" --input x.wav --capture default
    expect "orbisctl listen --input - without a rate" 2 'needs --rate' -- \
        orbisctl listen --save "$work/l" --input -
    expect "orbisctl listen from a recording that is not there" 1 'missing.wav' -- \
        orbisctl listen --save "$work/l" --input "$work/missing.wav"
    : >"$work/plainfile"
    expect "orbisctl listen into a folder that cannot be made" 1 'cannot make' -- \
        orbisctl listen --save "$work/plainfile/rx" --input "$work/missing.wav"
    make_bmp "$work/blue.bmp" 80 60 255 64 0
    expect "orbisctl sstv encode B/W 8" 0 '' -- \
        orbisctl sstv encode "$work/blue.bmp" "$work/bw8.wav" --mode bw8 --rate 48000

    local capture=0 listener
    if ! command -v pulseaudio >/dev/null; then
        bad "pulseaudio is installed (scripts/install-deps.sh installs it)"
    elif pulse_start L; then
        capture=1
        spawn env "${pulse_env[@]}" orbisctl listen --capture OrbisCaptureL --save "$work/cap" \
            >"$work/cap.out" 2>"$work/cap.err"
        listener=$!
        pids+=("$listener")
        wait_for 10 recording || bad "orbisctl listen --capture records" "$(cat "$work/cap.err")"
        kill -KILL "$pulse_pid"
        wait "$pulse_pid" 2>/dev/null
        wait_for 10 grep -q 'has gone' "$work/cap.err"
        check "the lost sound server is said" grep -q '^orbisctl: Capture: .*has gone' \
            "$work/cap.err"
        check "orbisctl listen outlives its sound server" kill -0 "$listener"
        pulse_start L || bad "the sound server starts again"
        wait_for 20 grep -q 'works again' "$work/cap.err"
        check "the capture comes back with the sound server" \
            grep -q '^orbisctl: Capture works again' "$work/cap.err"
        wait_for 10 recording || bad "orbisctl listen --capture records again"
        env "${pulse_env[@]}" paplay -d sink_L "$work/bw8.wav" &
    else
        bad "the private sound server starts" "$(cat "$work/pulse.log")"
    fi

    # Three pictures in three modes, PD 120's followed by its callsign in FSK, with silence
    # between them, in one recording.
    local m
    for m in r36 pd120 m2; do
        plain orbisctl sstv encode "$work/blue.bmp" "$work/$m.wav" --mode "$m" --rate 22050 \
            $([ "$m" = pd120 ] && echo --fsk-id DL1ABC) || bad "the $m part is made"
    done
    {
        tail -c +45 "$work/r36.wav"
        head -c 44100 /dev/zero
        tail -c +45 "$work/pd120.wav"
        head -c 44100 /dev/zero
        tail -c +45 "$work/m2.wav"
    } | wav_of_raw 22050 >"$work/three.wav"
    local start ms
    start=$(date +%s%N)
    expect "orbisctl listen --input FILE.wav" 0 '' -- \
        orbisctl listen --input "$work/three.wav" --save "$work/three"
    ms=$((($(date +%s%N) - start) / 1000000))
    echo "    three pictures ($(($(stat -c %s "$work/three.wav") / 44100)) s of audio) in $ms ms"
    local time='[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z'
    check "it printed the three pictures, the callsign with PD 120" test \
        "$(sed -E "s/^$time /TIME /; s|$work/three/[0-9_]+\.jpg|FILE|" "$work/out" | tr '\n' ';')" \
        = "TIME Robot 36 240/240 FILE;TIME PD 120 496/496 FILE DL1ABC;TIME Martin 2 256/256 FILE;"
    check "and kept them at their modes' sizes, logged with their modes and the callsign" \
        test "$(logged_pictures "$work/three/received.log" | tr '\n' ';')" = \
        "Robot 36 320x240 -;PD 120 640x496 DL1ABC;Martin 2 320x256 -;"
    check "three JPEGs in the folder" test "$(find "$work/three" -name '*.jpg' | wc -l)" -eq 3
    check "lines without a callsign keep their four fields" \
        awk -F '\t' 'NF != (NR == 2 ? 5 : 4) { exit 1 }' "$work/three/received.log"

    # Raw samples through a pipe that stops for a second on the way; a picture cut off by the
    # input's end is kept as far as it came.
    plain orbisctl sstv encode "$work/blue.bmp" "$work/r36-48k.wav" --mode r36 --rate 48000 ||
        bad "the 48000 Hz Robot 36 is made"
    tail -c +45 "$work/r36-48k.wav" >"$work/r36.raw"
    piped "$work/r36.raw" --pause 1 orbisctl listen --input - --rate 48000 --save "$work/piped" \
        >"$work/out" 2>"$work/err"
    local status=$?
    check "orbisctl listen --input - --rate 48000 from a pipe (status $status)" test "$status" \
        -eq 0 -a -n "$(grep -E "^$time Robot 36 240/240 $work/piped/[0-9_]+\.jpg\$" "$work/out")"
    head -c $(($(stat -c %s "$work/r36.raw") / 2)) "$work/r36.raw" >"$work/half.raw"
    piped "$work/half.raw" orbisctl listen --input - --rate 48000 --save "$work/half" \
        >"$work/out" 2>"$work/err"
    check "half a Robot 36 is kept with the lines that came" \
        grep -Eq "^$time Robot 36 1[0-9]{2}/240 .*\.jpg\$" "$work/out"
    check "at its mode's size" sh -c "file '$work'/half/*.jpg | grep -q ', 320x240,'"
    head -c 2000000 /dev/urandom >"$work/garbage.raw"
    piped "$work/garbage.raw" orbisctl listen --input - --rate 48000 --save "$work/garbage" \
        >"$work/out" 2>"$work/err"
    status=$?
    check "random bytes on standard input: status 0 (got $status)" test "$status" -eq 0
    check "and no picture" test -z "$(find "$work/garbage" -name '*.jpg')" -a ! -s "$work/out"

    [ "$capture" -eq 1 ] || return
    wait_for 15 grep -q 'B/W 8' "$work/cap.out"
    check "orbisctl listen --capture heard B/W 8 played into the sound server that came back" \
        grep -Eq "^$time B/W 8 120/120 $work/cap/[0-9_]+\.jpg\$" "$work/cap.out"
    check "said once each way" \
        test "$(grep -c 'has gone' "$work/cap.err")" -eq 1 -a \
        "$(grep -c 'Capture works again' "$work/cap.err")" -eq 1
    kill -INT "$listener"
    wait "$listener"
    status=$?
    check "orbisctl listen ends in order on SIGINT (status $status)" test "$status" -eq 0
}

# The web face of orbisctl serve in Debian's chromium, headless (tests/web/browser-test.js, its
# playwright-core from NODE_PATH), on two stations at once, each a program as a user's shell starts
# it: one on the simulated converter on a pseudo-terminal, which receives a picture through
# orbis-sim; one on the sound card inside the program on the private sound server, which hears a
# Robot 36 recording played into its capture's sink while an orbis-modem listens to its playback.
# WEB_SCREENSHOT=FILE keeps the sound card's page during its reception.
group_web() {
    local pictures=${MODEM_TEST_PICTURES:?the web group needs MODEM_TEST_PICTURES}
    local test=$here/../web/browser-test.js password="correct horse battery" s
    if ! command -v chromium >/dev/null || ! command -v pulseaudio >/dev/null; then
        bad "chromium and pulseaudio are installed (scripts/install-deps.sh installs them)"
        return
    fi

    # Without a password the face listens on this machine's loopback only.
    mkdir -p "$work/web-open"
    expect "orbisctl serve refuses an address other machines reach without a password" 1 \
        'listens on 0\.0\.0\.0:8070 only with a password' -- \
        orbisctl --folder "$work/web-open" --port "$work/none" serve --web 0.0.0.0:8070
    expect "orbisctl serve --web with no address" 2 'no listening address' -- \
        orbisctl --folder "$work/web-open" serve --web 70000

    pulse_start WEBRX WEBTX || { bad "the private sound server starts" "$(cat "$work/pulse.log")"; return; }
    "$pictures" frame "$work/frame.png" || bad "the test picture is made"
    expect "orbisctl sstv encode makes the Robot 36 recording" 0 '' -- \
        orbisctl sstv encode "$work/frame.png" "$work/r36.wav" --mode R36 --rate 48000
    mkdir -p "$work/web-sim" "$work/web-card"
    printf 'Converter=sound card\nSoundCapture=OrbisCaptureWEBRX\nSoundPlayback=OrbisSinkWEBTX\n' \
        >"$work/web-card/station.conf"
    for s in sim card; do
        env -i HOME="$work/home" PATH="$bin:/usr/bin:/bin" LANG=C.UTF-8 setsid -w \
            orbisctl --folder "$work/web-$s" web-password --stdin <<<"$password" \
            >"$work/out" 2>"$work/err" || bad "orbisctl web-password --stdin for $s" "$(cat "$work/err")"
    done

    # The simulated station's transmit picture, green, is kept in start.bmp (a folder with its
    # settings, which serve does not take for a new one).
    plain orbisctl --folder "$work/web-sim" callsign DL0WEB >/dev/null 2>&1 ||
        bad "orbisctl callsign makes the station's starter files"
    make_bmp "$work/web-sim/start.bmp" 410 256 0 255 0
    make_bmp "$work/red.bmp" 410 256 0 0 255

    start_sim
    spawn orbisctl --folder "$work/web-sim" --port "$work/orbis" serve --web 127.0.0.1:0 \
        >"$work/serve-sim.out" 2>"$work/serve-sim.err"
    local serve_sim=$!
    spawn env "${pulse_env[@]}" orbisctl --folder "$work/web-card" serve --web 127.0.0.1:0 \
        >"$work/serve-card.out" 2>"$work/serve-card.err"
    local serve_card=$!
    spawn env "${pulse_env[@]}" orbis-modem --link "$work/listener" --capture OrbisCaptureWEBTX \
        >"$work/listener.log" 2>&1
    local listener=$!
    pids+=("$serve_sim" "$serve_card" "$listener")
    declare -A url
    for s in sim card; do
        wait_for 20 grep -q '^Web face on http://' "$work/serve-$s.out"
        url[$s]=$(sed -n 's|^Web face on ||p' "$work/serve-$s.out")
        if [ -n "${url[$s]}" ]; then ok "orbisctl serve on the $s station says where it listens"; else
            bad "orbisctl serve on the $s station says where it listens" "$(cat "$work/serve-$s.err")"
        fi
    done
    [ -n "${url[sim]}" ] && [ -n "${url[card]}" ] || return

    # Both pages at once: the receptions overlap, so the group takes about one Robot 36.
    local pulse_vars="${pulse_env[*]}"
    WEB_URL=${url[sim]} WEB_PASSWORD=$password WEB_RECEPTION_MS=90000 WEB_TX_START=0,255,0 \
        WEB_RECEIVE="echo 'receive R36 $work/frame.png' >'$work/sim.in'" \
        WEB_SENT="grep -c 'transmit Robot 36' '$work/sim.log'" \
        node "$test" >"$work/browser-sim.log" 2>&1 &
    local browser_sim=$!
    WEB_URL=${url[card]} WEB_PASSWORD=$password WEB_RECEPTION_MS=90000 \
        SCREENSHOT=${WEB_SCREENSHOT:-} \
        WEB_RECEIVE="env $pulse_vars paplay --device=sink_WEBRX '$work/r36.wav' >/dev/null 2>&1 &" \
        WEB_SENT="grep -c '^Receiving Robot 36' '$work/listener.log'" \
        node "$test" >"$work/browser-card.log" 2>&1 &
    local browser_card=$!
    wait "$browser_sim" "$browser_card"
    for s in sim card; do
        local name="the $s station"
        [ "$s" = card ] && name="the sound card station"
        # Each check of the page once, named by its station.
        while IFS= read -r line; do
            case "$line" in
            "ok: "*) ok "$name: ${line#ok: }" ;;
            "FAILED: "*) bad "$name: ${line#FAILED: }" ;;
            *" passed, "*" failed") ;;
            *) echo "    $line" ;;
            esac
        done <"$work/browser-$s.log"
        grep -Eq '^[0-9]+ passed, [0-9]+ failed$' "$work/browser-$s.log" ||
            bad "the browser test of $s ran to its end"
    done
    check "the sound card station's reception is stored in AutoSpeichern" \
        grep -q 'Robot 36' "$work/web-card/AutoSpeichern/received.log"
    check "the simulated station's reception is stored in AutoSpeichern" \
        grep -q 'Robot 36' "$work/web-sim/AutoSpeichern/received.log"

    kill -TERM "$serve_sim" "$serve_card" "$listener"
    for s in sim card; do
        local pid=$serve_sim
        [ "$s" = card ] && pid=$serve_card
        wait "$pid"
        local status=$?
        if [ "$status" -eq 0 ]; then ok "orbisctl serve on the $s station ends on SIGTERM with status 0"
        else bad "orbisctl serve on the $s station ends on SIGTERM with status 0 (got $status)" \
            "$(tail -5 "$work/serve-$s.err")"; fi
    done
    local db
    db=$("$pictures" psnr "$work/red.bmp" "$work/web-sim/start.bmp")
    check "serve kept the picture dragged into the page in start.bmp ($db dB)" \
        awk -v db="$db" 'BEGIN { exit !(db >= 40) }'
    stop_sim
}

# rigctld's dummy rig on a loopback port ($rig_port), and what it says of its transmitter.
rig_start() {
    rig_port=$((40000 + RANDOM % 20000))
    spawn rigctld -m 1 -P RIG -T 127.0.0.1 -t "$rig_port"
    pids+=($!)
    wait_for 5 released || { bad "rigctld answers on port $rig_port"; return 1; }
}
ptt_state() { rigctl -m 2 -r "127.0.0.1:$rig_port" t 2>/dev/null; }
keyed() { [ "$(ptt_state)" = 1 ]; }
released() { [ "$(ptt_state)" = 0 ]; }

# The transmitter keyed through rigctld's dummy rig on a loopback port: keyed while a picture goes
# out, released after it, at the receive stop and on SIGTERM.
group_ptt() {
    if ! command -v rigctld >/dev/null; then
        bad "rigctld is installed (scripts/install-deps.sh installs libhamlib-utils)"
        return
    fi
    rig_start || return
    local port=$rig_port
    expect "orbis-modem with rigctld gone" 1 'rigctld' -- \
        orbis-modem --link "$work/x" --ptt "rigctld:127.0.0.1:1"

    spawn orbis-modem --link "$work/ptt" --output "$work/ptt.wav" --ptt "rigctld:127.0.0.1:$port" \
        >"$work/ptt.log" 2>&1
    local modem=$!
    pids+=("$modem")
    wait_for 10 test -e "$work/ptt" || bad "orbis-modem starts with rigctld"
    check "orbis-modem names its push-to-talk" grep -q "PTT .*$port" "$work/ptt.log"
    check "the transmitter is released at the start" released

    plain orbisctl --port "$work/ptt" send R36 || bad "send R36"
    wait_for 5 keyed
    check "the transmitter is keyed while Robot 36 goes out" keyed
    wait_for 60 grep -q 'Transmission ended' "$work/ptt.log"
    wait_for 2 released
    check "the transmitter is released after it" released

    plain orbisctl --port "$work/ptt" send M1 || bad "send M1"
    wait_for 5 keyed
    plain orbisctl --port "$work/ptt" stop || bad "stop"
    wait_for 2 released
    check "the receive stop releases the transmitter" released
    wait_for 2 grep -q 'Transmission cut by the receive stop' "$work/ptt.log"
    grep -q 'Transmission cut by the receive stop' "$work/ptt.log" &&
        ok "the receive stop cut the transmission" ||
        bad "the receive stop cut the transmission" "$(cat "$work/ptt.log")"

    plain orbisctl --port "$work/ptt" send M1 || bad "send M1"
    wait_for 5 keyed
    check "keyed again for Martin 1" keyed
    kill -TERM "$modem"
    wait "$modem"
    local status=$?
    check "orbis-modem ends on SIGTERM (status $status)" test "$status" -eq 0
    check "SIGTERM released the transmitter" released
    check "the output is whole after SIGTERM" wav_whole "$work/ptt.wav"

    # The push-to-talk's guardian: when it has gone, a transmission is refused rather than keyed
    # unguarded; when the program is killed with the transmitter keyed, it releases the transmitter.
    spawn orbis-modem --link "$work/ptt2" --output "$work/ptt2.wav" \
        --ptt "rigctld:127.0.0.1:$port" >"$work/ptt2.log" 2>&1
    modem=$!
    pids+=("$modem")
    wait_for 10 test -e "$work/ptt2" || bad "orbis-modem starts again with rigctld"
    local guardian
    guardian=$(pgrep -P "$modem")
    check "orbis-modem has a PTT guardian" test -n "$guardian"
    kill -KILL $guardian
    plain orbisctl --port "$work/ptt2" send R36 || bad "send R36 without a guardian"
    wait_for 5 grep -q 'PTT failed' "$work/ptt2.log"
    check "without its guardian the transmission is refused" \
        grep -q 'PTT failed (the PTT guardian has ended' "$work/ptt2.log"
    check "and the transmitter was not keyed" released
    plain orbisctl --port "$work/ptt2" send R36 || bad "send R36 again"
    wait_for 5 keyed
    check "a new guardian keys the next transmission" keyed
    kill -KILL "$modem"
    released_within "orbis-modem"
}

# released_within NAME: the transmitter is released within a second of a program's SIGKILL, asked
# every tenth of a second.
released_within() {
    local start ms=-1 now
    start=$(date +%s%N)
    while :; do
        now=$((($(date +%s%N) - start) / 1000000))
        if released; then
            ms=$now
            break
        fi
        [ "$now" -lt 5000 ] || break
        sleep 0.1
    done
    echo "    released $ms ms after $1 was killed"
    check "the guardian released the transmitter of the killed $1 within 1 s ($ms ms)" \
        test "$ms" -ge 0 -a "$ms" -lt 1000
}

mode_size() {
    case "$1" in
    R36 | R72) echo "320x240" ;; *) echo "320x256" ;;
    esac
}

mode_name() {
    case "$1" in
    R36) echo "Robot 36" ;; R72) echo "Robot 72" ;; M1) echo "Martin 1" ;;
    M2) echo "Martin 2" ;; S1) echo "Scottie 1" ;; S2) echo "Scottie 2" ;;
    esac
}

case "$group" in
converter) group_converter ;;
modem) group_modem ;;
soundcard) group_soundcard ;;
listen) group_listen ;;
ptt) group_ptt ;;
beacon) group_beacon ;;
files) group_files ;;
log) group_log ;;
handheld) group_handheld ;;
winorbis) group_winorbis ;;
web) group_web ;;
*)
    echo "unknown group $group" >&2
    exit 2
    ;;
esac
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
