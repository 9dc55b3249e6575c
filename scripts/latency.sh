#!/usr/bin/env bash
# Measures how long a key press takes to reach the adapter. Under Wine and Xvfb, with the
# virtual adapter and the starter profile, an XTest probe presses SPACE (bound to A) at
# random moments and times each press until packets.bin grows. Three programs are measured
# in the same run: the platform's floor (a bare DirectInput program that appends a byte at
# every keyboard event), qora with LOWLATENCY=1, and qora on its 33 ms tick alone.
# Takes a few minutes; PRESSES (default 60) and SEED change the run.
set -euo pipefail
cd "$(dirname "$0")/.."

presses=${PRESSES:-60}
seed=${SEED:-$RANDOM}

bash scripts/install-deps.sh
echo "== building"
cmake --preset windows >/dev/null
cmake --build --preset windows --target qora latency-floor >/dev/null
cmake --preset host >/dev/null
cmake --build --preset host --target latency-probe >/dev/null
probe=build/host/tools/latency/latency-probe

source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
folder=$(mktemp -d /tmp/qora-latency-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
qora_bench_display
# Started here, so no Wine child holds this script's pipes.
wineserver -p

labels=()
figures=() # "n N min MIN median MEDIAN p90 P90 max MAX", as the probe prints them

# measure LABEL FILE: runs the probe on FILE; the program that writes it has the focus.
measure() {
    local label=$1 file=$2
    echo "== $label: $presses presses"
    local line
    line=$("$probe" "$label" "$file" "$presses" "$seed")
    echo "$line"
    labels+=("$label")
    figures+=("${line#"$label "}")
}

# measure_floor: the bare program, started from its own folder.
measure_floor() {
    local run="$folder/floor"
    mkdir -p "$run"
    cp build/windows/latency-floor.exe "$run/"
    (cd "$run" && exec wine latency-floor.exe) >"$run/wine.log" 2>&1 &
    QORA_PID=$!
    qora_wait_for 60 "the floor program's window" qora_window_shown "latency floor"
    xdotool windowfocus "$(qora_window_id "latency floor")"
    qora_wait_for 10 "latency-floor.bin" test -f "$run/latency-floor.bin"
    measure floor "$run/latency-floor.bin"
    qora_end_program
}

# measure_qora LABEL LOWLATENCY: qora with the virtual adapter, a capture run started by F12.
measure_qora() {
    local label=$1 run="$folder/qora-$2"
    qora_prepare_run "$run" "$2" "qora latency"
    qora_start_capture "$run" "qora latency"
    measure "$label" "$run/packets.bin"
    qora_end_program
}

measure_floor
measure_qora "LOWLATENCY=1" 1
measure_qora "tick only" 0

echo
echo "Time from an XTest key press to the file growing, in ms ($presses presses, seed $seed):"
echo
echo "| program | n | min | median | p90 | max |"
echo "|---|---|---|---|---|---|"
for i in "${!labels[@]}"; do
    read -r _ n _ min _ median _ p90 _ max <<<"${figures[$i]}"
    echo "| ${labels[$i]} | $n | $min | $median | $p90 | $max |"
done

read -r _ _ _ _ _ floorMedian _ <<<"${figures[0]}"
read -r _ _ _ _ _ fastMedian _ fastP90 _ <<<"${figures[1]}"
echo
echo "LOWLATENCY=1: median $fastMedian ms, the floor's $floorMedian ms (goal: at most 0.5 ms" \
    "above it); p90 $fastP90 ms (goal: at most 5 ms)."
