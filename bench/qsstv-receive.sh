#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Another SSTV program as the receiver: Debian's qsstv runs on an X server of its own (Xvfb with
# openbox) and listens to a private PulseAudio daemon's null sink; each WAV file of DIR is played
# into that sink, and the picture qsstv saves is kept beside it as NAME-qsstv.png, the callsign
# it read from an FSK ID as NAME-qsstv.call. Then the modem's pictures of the same files and
# qsstv's are scored:
#   build/bench/bench_modem qsstv-make DIR     (the noisy recordings)
#   bench/qsstv-receive.sh DIR [FILE.wav ...]   (all of DIR's WAV files when none are given)
#   build/bench/bench_modem qsstv-score DIR
# Needs the Debian packages qsstv xvfb openbox pulseaudio pulseaudio-utils xdotool xclip (and
# imagemagick for QSSTV_SHOT=1, which keeps a screenshot NAME-screen.png after each file).
# Files are played at their own pace: the 20 of qsstv-make take about 35 minutes.
set -euo pipefail
dir=$(cd "${1:?usage: qsstv-receive.sh DIR [FILE.wav ...]}" && pwd)
shift
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    files=("$dir"/*.wav)
fi

work=$(mktemp -d)
home=$work/home
run=$work/run
mkdir -p "$home" "$run"
chmod 700 "$run"
display=:$((90 + RANDOM % 100))
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
sleep 1
XDG_RUNTIME_DIR=$run HOME=$home pulseaudio --daemonize=no -n --exit-idle-time=-1 \
    --load="module-native-protocol-unix socket=$run/pulse.sock auth-anonymous=1" \
    --load="module-null-sink sink_name=sstv rate=11025 channels=1" >"$work/pulse.log" 2>&1 &
pids+=($!)
export PULSE_SERVER=unix:$run/pulse.sock
for _ in $(seq 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
pactl set-default-source sstv.monitor
DISPLAY=$display HOME=$home openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1
DISPLAY=$display HOME=$home XDG_RUNTIME_DIR=$run qsstv >"$work/qsstv.log" 2>&1 &
pids+=($!)
export DISPLAY=$display

# The main window at a known place and size, so that its controls are where the clicks go.
window=
for _ in $(seq 100); do
    window=$(xdotool search --name '^QSSTV [0-9]' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "qsstv-receive: qsstv shows no window" >&2; exit 1; }
sleep 2
xdotool windowmove "$window" 0 0 windowsize "$window" 1270 1000
sleep 1
xdotool mousemove 32 32 click 1 # the Receive tab

rx=$home/qsstv/rx_sstv
mkdir -p "$rx"
for wav in "${files[@]}"; do
    name=$(basename "$wav" .wav)
    case $name in *-qsstv) continue ;; esac
    # An empty call field, so that only what this file brings shows in it.
    xdotool mousemove 933 225 click --repeat 3 1 key ctrl+a BackSpace
    before=$(ls "$rx" | grep -c png || true)
    paplay --device=sstv "$wav"
    sleep 4
    newest=$(ls -t "$rx"/*.png 2>/dev/null | head -1 || true)
    after=$(ls "$rx" | grep -c png || true)
    if [ "$after" -gt "$before" ] && [ -n "$newest" ]; then
        cp "$newest" "$dir/$name-qsstv.png"
    else
        rm -f "$dir/$name-qsstv.png"
    fi
    xdotool mousemove 933 225 click --repeat 3 1 key ctrl+a ctrl+c
    sleep 0.3
    xclip -o -selection clipboard >"$dir/$name-qsstv.call" 2>/dev/null || true
    [ -z "${QSSTV_SHOT:-}" ] || xwd -root -silent | convert xwd:- "$dir/$name-screen.png"
    echo "$name: picture $([ -f "$dir/$name-qsstv.png" ] && echo saved || echo none), call '$(cat "$dir/$name-qsstv.call")'"
done
