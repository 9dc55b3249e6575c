#!/usr/bin/env bash
# Measures precise aim moment by moment over steady mouse motion, and tells what the bench
# delivered from what qora made of it. Under Wine and Xvfb, with the virtual adapter and
# LOWLATENCY=1, a profile with DEADZONE 24, circle, exponent 1.0 and zoom 1.0 (rule: a
# deflection of 0.24 + 0.76 * min(1, |v| / 10) at |v| counts/ms).
#
# Each run starts a fresh Xvfb and wineserver, then, on that one X server:
#   1. the floor program (the bare DirectInput program of latency.sh) and BURSTS bursts of
#      2 counts/ms at 1000 Hz (tools/latency/aim_probe.cpp): its onset and last count;
#   2. the bare DirectInput recorder (tools/latency/mouse_recorder.c) while the driver
#      (tools/latency/aim_drive.c, at real-time priority) sends the segments below: what
#      any program receives;
#   3. the measuring qora.exe (QORA_AIM_TRACE=ON, build/aim-trace) while the driver sends
#      the same segments, then the same bursts: its trace holds every read, evaluation
#      and packet.
# The X pointer is parked at the screen's far corner, away from the programs' windows,
# before each program starts. Segments: 700 ms each after a 400 ms rest, in alternating directions,
# at 1000, 500 and 125 Hz from 0.5 to 8 counts/ms, diagonals included, each rate's group
# led by a fast segment that teaches the estimator the mouse's report period.
#
# Per segment it prints the rule and, for what qora sent (its packets), for the replay of
# its reads on a fake clock (trace/aim_replay.h, never late for a moment) and for the
# replay of what the bare recorder read, the stick's time-weighted median, p10 and p90
# after the first 120 ms, the longest moment in mid-motion more than 0.1 from the rule and
# the drops to 0; and for both readers the reads' longest gap, the most a report came late
# and the reads that carried several reports (lumps). Then the stop p90 and onset median of
# qora beside the floor's, and /proc/loadavg before and after; last, what qora sent run by
# run (the farthest its median, p10 and p90 lay from the rule, its longest excursion, drops
# and late stops) and segment by segment. A segment is within bounds
# when the median lies within 0.02 of the rule, p10 and p90 within 0.03, no excursion is
# longer than 30 ms, the stick never drops to 0 and the stop comes within 8 ms (two report
# intervals and 2 ms for a slower mouse).
#
# RUNS (default 1) runs in a row; BURSTS (default 30); SEED. QUIET_BELOW (for example 0.8)
# waits before each run until the 1-minute load average is below it, at most QUIET_MAX_S
# seconds (default 1800), since other work on the machine shows in every figure. SAME_SERVER=1 keeps one Xvfb
# and wineserver for every run, and AGE_MINUTES (default 0) drives the mouse that long on
# it first (the recorder holding the mouse), to tell whether an old X server behaves
# differently. The traces stay in OUT (default build/aim-moments). About a minute a run.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-1}
bursts=${BURSTS:-30}
seed=${SEED:-$RANDOM}
sameServer=${SAME_SERVER:-0}
ageMinutes=${AGE_MINUTES:-0}
out=${OUT:-build/aim-moments}
quietBelow=${QUIET_BELOW:-}
quietMaxS=${QUIET_MAX_S:-1800}
burstSpeed=2
restMs=400
segmentMs=700
parkX=1015
parkY=760

bash scripts/install-deps.sh
echo "== building"
source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
aim_build qora latency-floor mouse-recorder
cmake --build --preset host --target aim-drive aim-trace >/dev/null
cmake --preset windows -B build/aim-trace -DQORA_AIM_TRACE=ON >/dev/null
cmake --build build/aim-trace --target qora >/dev/null
AIM_DRIVE=build/host/tools/latency/aim-drive
AIM_TRACE=build/host/tools/aim/aim-trace

rm -rf "$out"
mkdir -p "$out"
trap 'qora_stop_everything' EXIT
qora_wine_prefix

# VX VY RATE_HZ MS, grouped by rate, each group led by a segment with counts at every poll.
segments="$out/segments.txt"
{
    for motion in "4 0" "0.5 0" "1 0" "2 0" "4 0" "8 0" "0 3" "2 2" "5.657 5.657"; do
        echo "$motion 1000 $segmentMs"
    done
    for motion in "4 0" "0.5 0" "1 0" "2 0" "4 0" "8 0" "2 2"; do
        echo "$motion 500 $segmentMs"
    done
    for motion in "2 0" "0.5 0" "1 0" "2 0" "4 0" "8 0" "0 3" "2 2"; do
        echo "$motion 125 $segmentMs"
    done
} >"$segments"

# A fresh X server and wineserver (the old ones ended first).
fresh_server() {
    qora_stop_everything
    wineserver -w 2>/dev/null || true
    if [ -n "$QORA_XVFB_PID" ]; then
        wait "$QORA_XVFB_PID" 2>/dev/null || true
    fi
    QORA_XVFB_PID=""
    unset DISPLAY
    qora_bench_display
    aim_start_wineserver
}

# With QUIET_BELOW, waits until the 1-minute load average is below it (or QUIET_MAX_S).
wait_for_quiet() {
    local waited=0
    [ -n "$quietBelow" ] || return 0
    while awk -v limit="$quietBelow" '{ exit !($1 >= limit) }' /proc/loadavg; do
        if [ "$waited" -ge "$quietMaxS" ]; then
            echo "   still loaded after $waited s: $(cut -d' ' -f1-3 /proc/loadavg)"
            return 0
        fi
        sleep 10
        waited=$((waited + 10))
    done
    echo "   the 1-minute load below $quietBelow after $waited s of waiting"
}

# Before a program takes the mouse: moved while a program holds it, the pointer's jump
# would reach the program as motion.
park_pointer() { xdotool mousemove "$parkX" "$parkY"; }

# drive FOLDER: the segments at real-time priority.
drive() {
    local folder=$1
    xdotool getmouselocation >"$folder/pointer-before.txt"
    chrt -f 50 "$AIM_DRIVE" "$restMs" <"$segments" >"$folder/drive.txt"
    xdotool getmouselocation >"$folder/pointer-after.txt"
}

# bursts LABEL FILE SOURCE OUTPUT: the probe's onset and stop (or last count).
bursts() {
    "$AIM_PROBE" latency "$1" "$2" "$3" "$bursts" "$seed" "$burstSpeed" >"$4" || true
}

measure_floor() {
    local run=$1/floor
    echo "   the floor program: $bursts bursts"
    park_pointer
    aim_start_floor "$run"
    bursts floor "$run/latency-floor.bin" floor "$run/probe.txt"
    qora_end_program
}

start_recorder() {
    local run=$1
    mkdir -p "$run"
    park_pointer
    cp build/windows/mouse-recorder.exe "$run/"
    (cd "$run" && exec wine mouse-recorder.exe) >"$run/wine.log" 2>&1 &
    QORA_PID=$!
    qora_wait_for 60 "the recorder's window" qora_window_shown "mouse recorder"
    xdotool windowfocus "$(qora_window_id "mouse recorder")"
    qora_wait_for 10 "mouse-records.txt" test -f "$run/mouse-records.txt"
    sleep 0.5
}

measure_recorder() {
    local run=$1/recorder
    echo "   the bare recorder: the segments"
    start_recorder "$run"
    drive "$run"
    qora_end_program
    {
        echo "qora-aim-trace 1"
        echo "curve 1 1 0.24 1 circle 0"
        cat "$run/mouse-records.txt"
        grep '^segment' "$run/drive.txt"
    } >"$run/aim-trace.txt"
}

measure_qora() {
    local run=$1/qora stick
    echo "   qora: the segments, then $bursts bursts"
    stick=$(aim_prepare_run "$run" 1 "qora aim moments" precise)
    "$AIM_STORE_TOOL" resources/defaults/config.bin "$run/config.bin" 24 1.0 >/dev/null
    cp build/aim-trace/qora.exe "$run/qora.exe"
    park_pointer
    qora_start_capture "$run" "qora aim moments"
    drive "$run"
    bursts qora "$run/packets.bin" "$stick" "$run/probe.txt"
    xdotool key F11
    qora_wait_for 20 "the aim trace" test -s "$run/aim-trace.txt"
    qora_end_program
    grep '^segment' "$run/drive.txt" >>"$run/aim-trace.txt"
}

# The X server and wineserver aged by AGE_MINUTES of motion, the recorder holding the mouse.
age_server() {
    local run=$out/ageing
    echo "== ageing the X server: $ageMinutes minutes of motion"
    start_recorder "$run"
    "$AIM_PROBE" move "$((ageMinutes * 60))" 2 >"$run/move.txt"
    qora_end_program
}

if [ "$sameServer" = 1 ]; then
    fresh_server
    [ "$ageMinutes" -le 0 ] || age_server
fi
for ((n = 1; n <= runs; ++n)); do
    run="$out/run-$n"
    mkdir -p "$run"
    echo "== run $n of $runs"
    wait_for_quiet
    [ "$sameServer" = 1 ] || fresh_server
    cat /proc/loadavg >"$run/loadavg-before.txt"
    ps -o etimes= -p "$QORA_XVFB_PID" >"$run/xvfb-age.txt" 2>/dev/null || true
    measure_floor "$run"
    measure_recorder "$run"
    measure_qora "$run"
    cat /proc/loadavg >"$run/loadavg-after.txt"
    "$AIM_TRACE" report "$run/qora/aim-trace.txt" qora >"$run/report.txt"
    "$AIM_TRACE" report "$run/recorder/aim-trace.txt" bare >>"$run/report.txt"
    python3 scripts/lib/aim_moments_table.py run "$run"
done
echo
python3 scripts/lib/aim_moments_table.py summary "$out"/run-*
echo
echo "What qora sent, run by run:"
echo
python3 scripts/lib/aim_moments_table.py moments "$out"/run-*
echo
python3 scripts/lib/aim_moments_table.py segments "$out"/run-*
echo "(The traces are in $out: build/host/tools/aim/aim-trace reads|cut them.)"
