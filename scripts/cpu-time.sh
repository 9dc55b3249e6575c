#!/usr/bin/env bash
# Measures the CPU time qora.exe uses under Wine and Xvfb, with the virtual adapter. First
# with its window open and no capture run, over DURATION seconds (default 60): what Wine
# costs a program that only waits for messages. Then the bare DirectInput program of
# latency.sh in its mouse mode, over DURATION seconds of mouse motion (below): what Wine
# costs a program that reads every mouse event. Then in a capture run, once with
# LOWLATENCY=1 and once on the tick alone, each with the starter profile as classic aim
# and as precise aim: over DURATION seconds without any input; with classic aim also over
# DURATION seconds with W and L SHIFT held down (the X server repeats them); and over
# DURATION seconds of steady mouse motion, one XTest event per millisecond at SPEED
# counts/ms (default 2; tools/latency/aim_probe.cpp), turning back every second. The
# wineserver works on the program's behalf (messages, timers, waits), so its CPU time is
# shown beside it, and so is the number of packets that went out while the mouse moved.
# Takes about thirteen minutes with the default DURATION.
set -euo pipefail
cd "$(dirname "$0")/.."

duration=${DURATION:-60}
speed=${SPEED:-2}

bash scripts/install-deps.sh
echo "== building"
source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
aim_build qora latency-floor

folder=$(mktemp -d /tmp/qora-cpu-XXXXXX)
trap 'xdotool keyup w Shift_L 2>/dev/null || true; qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
qora_bench_display
aim_start_wineserver

ticks_per_second=$(getconf CLK_TCK)

# The wineserver of this prefix works in a server folder named after the prefix's device
# and inode (the folder above it varies between Wine builds).
wineserver_pid() {
    local server pid
    server=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
    for pid in /proc/[0-9]*; do
        if [[ "$(readlink "$pid/cwd" 2>/dev/null)" == */"$server" ]]; then
            echo "${pid#/proc/}"
            return 0
        fi
    done
    return 1
}

# cpu_ticks PID: user plus system time in clock ticks (fields 14 and 15 of its stat, read
# after the command name, which may hold blanks).
cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat")
    awk '{ print $12 + $13 }' <<<"${stat##*) }"
}

# cpu_during SERVER COMMAND...: the CPU time of qora.exe and of the wineserver while
# COMMAND runs, in ms.
cpu_during() {
    local server=$1 qoraBefore serverBefore
    shift
    qoraBefore=$(cpu_ticks "$QORA_PID")
    serverBefore=$(cpu_ticks "$server")
    "$@" >/dev/null
    echo $(( ($(cpu_ticks "$QORA_PID") - qoraBefore) * 1000 / ticks_per_second )) \
        $(( ($(cpu_ticks "$server") - serverBefore) * 1000 / ticks_per_second ))
}

rows=() # "LABEL|idle qora server|held qora server|moving qora server packets/s"

# measure_without_run LABEL LOWLATENCY: the window open, no F12.
measure_without_run() {
    local label=$1 run="$folder/qora-idle-$2" server idle
    qora_prepare_run "$run" "$2" "qora cpu"
    qora_start "$run"
    qora_wait_for 60 "qora's window" qora_window_shown "qora cpu"
    xdotool windowfocus "$(qora_window_id "qora cpu")"
    server=$(wineserver_pid)
    sleep 2
    echo "== $label: ${duration} s with the window open"
    idle=$(cpu_during "$server" sleep "$duration")
    qora_end_program
    rows+=("$label|$idle|- -|- - -")
}

# keys_held SERVER RUN: W and L SHIFT held down for the duration.
keys_held() {
    local server=$1 run=$2 packetsBefore held
    xdotool keydown w keydown Shift_L
    sleep 1
    packetsBefore=$(qora_file_size "$run/packets.bin")
    held=$(cpu_during "$server" sleep "$duration")
    [ "$(qora_file_size "$run/packets.bin")" -eq "$packetsBefore" ] ||
        echo "warning: packets went out while the keys stayed down" >&2
    xdotool keyup w keyup Shift_L
    echo "$held"
}

# mouse_moving SERVER RUN: steady motion for the duration; prints the CPU times and the
# packets per second that went out meanwhile.
mouse_moving() {
    local server=$1 run=$2 packetsBefore moving packets
    packetsBefore=$(qora_file_size "$run/packets.bin")
    moving=$(cpu_during "$server" "$AIM_PROBE" move "$duration" "$speed")
    packets=$(( ($(qora_file_size "$run/packets.bin") - packetsBefore) / 50 ))
    echo "$moving $(awk -v p="$packets" -v s="$duration" 'BEGIN { printf "%.1f", p / s }')"
}

# measure_floor: the bare DirectInput program in its mouse mode, which reads every mouse
# event and writes a record: what the motion itself costs under Wine.
measure_floor() {
    local label="floor (bare DirectInput program)" server moving
    aim_start_floor "$folder/floor"
    server=$(wineserver_pid)
    echo "== $label: ${duration} s of mouse motion, 1000 Hz, $speed counts/ms"
    moving=$(cpu_during "$server" "$AIM_PROBE" move "$duration" "$speed")
    qora_end_program
    rows+=("$label|- -|- -|$moving -")
}

# measure LOWLATENCY AIM
measure() {
    local lowLatency=$1 aim=$2 run="$folder/qora-$1-$2" label server idle held="- -" moving
    label="$([ "$lowLatency" = 1 ] && echo "LOWLATENCY=1" || echo "tick only"), $aim"
    aim_prepare_run "$run" "$lowLatency" "qora cpu" "$aim" >/dev/null
    qora_start_capture "$run" "qora cpu"
    server=$(wineserver_pid)
    sleep 2
    echo "== $label: ${duration} s idle"
    idle=$(cpu_during "$server" sleep "$duration")
    if [ "$aim" = classic ]; then
        echo "== $label: ${duration} s with W and L SHIFT held"
        held=$(keys_held "$server" "$run")
    fi
    echo "== $label: ${duration} s of mouse motion, 1000 Hz, $speed counts/ms"
    moving=$(mouse_moving "$server" "$run")
    qora_end_program
    rows+=("$label|$idle|$held|$moving")
}

measure_without_run "no run" 1
measure_floor
for lowLatency in 1 0; do
    for aim in classic precise; do
        measure "$lowLatency" "$aim"
    done
done

percent() {
    [ "$1" = - ] && return 0
    awk -v ms="$1" -v s="$duration" 'BEGIN { printf " (%.2f %%)", ms / (s * 10) }'
}

# cell MS: the figure and its share of the duration.
cell() { echo "$1$(percent "$1")"; }

echo
echo "CPU time of qora.exe (and of the wineserver) over ${duration} s, in ms:"
echo
echo "| run | idle: qora.exe | idle: wineserver | keys held: qora.exe | keys held: wineserver |" \
    "mouse moving: qora.exe | mouse moving: wineserver | packets/s while moving |"
echo "|---|---|---|---|---|---|---|---|"
for row in "${rows[@]}"; do
    IFS='|' read -r label idle held moving <<<"$row"
    read -r idleQora idleServer <<<"$idle"
    read -r heldQora heldServer <<<"$held"
    read -r movingQora movingServer packets <<<"$moving"
    echo "| $label | $(cell "$idleQora") | $idleServer | $(cell "$heldQora") | $heldServer |" \
        "$(cell "$movingQora") | $movingServer | $packets |"
done
