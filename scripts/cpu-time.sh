#!/usr/bin/env bash
# Measures the CPU time qora.exe uses under Wine and Xvfb, with the virtual adapter and
# the starter profile. First with its window open and no capture run, over DURATION
# seconds (default 60): what Wine costs a program that only waits for messages. Then in a
# capture run: over DURATION seconds without any input, then over DURATION seconds with W
# and L SHIFT held down (the X server repeats them), once with LOWLATENCY=1 and once on
# the tick alone. The wineserver works on the program's behalf (messages, timers, waits),
# so its CPU time is shown beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

duration=${DURATION:-60}

bash scripts/install-deps.sh
echo "== building"
cmake --preset windows >/dev/null
cmake --build --preset windows --target qora >/dev/null

source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
folder=$(mktemp -d /tmp/qora-cpu-XXXXXX)
trap 'xdotool keyup w Shift_L 2>/dev/null || true; qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
qora_bench_display
wineserver -p

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

# cpu_over SECONDS: the CPU time of qora.exe and of the wineserver over that time, in ms.
cpu_over() {
    local server=$1 seconds=$2 qoraBefore serverBefore
    qoraBefore=$(cpu_ticks "$QORA_PID")
    serverBefore=$(cpu_ticks "$server")
    sleep "$seconds"
    echo $(( ($(cpu_ticks "$QORA_PID") - qoraBefore) * 1000 / ticks_per_second )) \
        $(( ($(cpu_ticks "$server") - serverBefore) * 1000 / ticks_per_second ))
}

rows=()

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
    idle=$(cpu_over "$server" "$duration")
    qora_end_program
    rows+=("$label $idle - -")
}

# measure LABEL LOWLATENCY
measure() {
    local label=$1 run="$folder/qora-$2" server idle held packetsBefore
    qora_prepare_run "$run" "$2" "qora cpu"
    qora_start_capture "$run" "qora cpu"
    server=$(wineserver_pid)
    sleep 2
    echo "== $label: ${duration} s idle"
    idle=$(cpu_over "$server" "$duration")
    echo "== $label: ${duration} s with W and L SHIFT held"
    xdotool keydown w keydown Shift_L
    sleep 1
    packetsBefore=$(qora_file_size "$run/packets.bin")
    held=$(cpu_over "$server" "$duration")
    [ "$(qora_file_size "$run/packets.bin")" -eq "$packetsBefore" ] ||
        echo "warning: packets went out while the keys stayed down" >&2
    xdotool keyup w keyup Shift_L
    qora_end_program
    rows+=("$label $idle $held")
}

measure_without_run "no run" 1
measure "LOWLATENCY=1" 1
measure "tick only" 0

percent() {
    [ "$1" = - ] && return 0
    awk -v ms="$1" -v s="$duration" 'BEGIN { printf " (%.2f %%)", ms / (s * 10) }'
}

echo
echo "CPU time of qora.exe (and of the wineserver) over ${duration} s, in ms:"
echo
echo "| run | idle: qora.exe | idle: wineserver | keys held: qora.exe | keys held: wineserver |"
echo "|---|---|---|---|---|"
for row in "${rows[@]}"; do
    read -r -a f <<<"$row"
    # The label may hold one blank: the four figures are the last fields.
    n=${#f[@]}
    label=${f[*]:0:n-4}
    echo "| $label | ${f[n-4]}$(percent "${f[n-4]}") | ${f[n-3]} | ${f[n-2]}$(percent "${f[n-2]}") | ${f[n-1]} |"
done
