#!/usr/bin/env bash
# Measures what a redraw of the main window costs while precise aim moves the stick, with
# the calibration view off and on. Builds a measuring qora.exe (build/paint, the windows
# preset with QORA_PAINT_TIMES=ON, which writes every WM_PAINT's duration to
# paint-times.txt), runs it under Wine with the virtual adapter and the starter profile
# as precise aim, moves the mouse steadily for SECONDS (default 10) with calibration off,
# then again after Scroll Lock turned it on, and prints the paints per second and the
# time per paint (n, median, p90, p99, max, in ms) for each. Takes about a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${SECONDS_MOVING:-10}
speed=${SPEED:-2}

bash scripts/install-deps.sh
echo "== building"
source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
aim_build qora
cmake --preset windows -B build/paint -DQORA_PAINT_TIMES=ON >/dev/null
cmake --build build/paint --target qora >/dev/null

folder=$(mktemp -d /tmp/qora-paint-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
qora_bench_display
aim_start_wineserver

run="$folder/run"
aim_prepare_run "$run" 1 "qora paint" precise >/dev/null
cp build/paint/qora.exe "$run/qora.exe"
qora_start_capture "$run" "qora paint"
"$AIM_PROBE" move "$seconds" "$speed" >/dev/null
xdotool key Scroll_Lock
"$AIM_PROBE" move "$seconds" "$speed" >/dev/null
xdotool key Scroll_Lock
qora_end_program

echo
echo "Redraws of the main window while the mouse moves, precise aim, $speed counts/ms:"
echo
echo "| calibration view | paints/s | n | median | p90 | p99 | max |"
echo "|---|---|---|---|---|---|---|"
for on in 0 1; do
    awk -v on="$on" '$1 == on { print $3 / 1000 }' "$run/paint-times.txt" | sort -n |
        awk -v on="$on" -v s="$seconds" '{ v[NR] = $1 }
            END {
                if (NR == 0) { print "| " (on ? "on" : "off") " | 0 | 0 | | | | |"; exit }
                printf "| %s | %.0f | %d | %.2f | %.2f | %.2f | %.2f |\n", on ? "on" : "off",
                    NR / s, NR, v[int((NR + 1) / 2)], v[int(NR * 0.9 + 0.5)],
                    v[int(NR * 0.99 + 0.5)], v[NR]
            }'
done
