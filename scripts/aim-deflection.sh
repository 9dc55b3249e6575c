#!/usr/bin/env bash
# Measures the stick deflection that steady mouse motion gives, by speed and by the mouse's
# report rate. Under Wine and Xvfb, with the virtual adapter and LOWLATENCY=1, an XTest
# probe (tools/latency/aim_probe.cpp) moves the mouse at each speed of SPEEDS (counts per
# ms) for 500 ms, as a 1000 Hz mouse (an event every millisecond) and as a 125 Hz mouse (an
# event every 8 ms carrying 8 times the counts); a fractional accumulator keeps the average
# exact. It reports the stick's X over the steady part (from 200 ms on): the median in % of
# full scale (32767) and raw, and the lowest and highest value seen there. Measured in the
# same run: the floor program first, which checks that every count sent reaches
# DirectInput, then qora with the starter profile as classic aim and as precise aim.
# Takes about a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

read -r -a speeds <<<"${SPEEDS:-0.5 1 2 3 4 6 10}"
rates=(1000 125)

bash scripts/install-deps.sh
echo "== building"
source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
aim_build qora latency-floor

folder=$(mktemp -d /tmp/qora-aim-deflection-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
qora_bench_display
aim_start_wineserver

# Lines "LABEL rate R speed V ..." as the probe prints them.
lines=()

# probe LABEL FILE SOURCE: every rate; a failure is reported and the run goes on.
probe() {
    local label=$1 file=$2 source=$3 rate output status
    for rate in "${rates[@]}"; do
        status=0
        output=$("$AIM_PROBE" deflection "$label" "$file" "$source" "$rate" "${speeds[@]}") ||
            status=$?
        echo "$output"
        [ "$status" -le 1 ] || exit "$status"
        mapfile -t -O "${#lines[@]}" lines <<<"$output"
    done
}

measure_floor() {
    local run="$folder/floor"
    echo "== floor: the counts that reach DirectInput"
    aim_start_floor "$run"
    probe floor "$run/latency-floor.bin" floor
    qora_end_program
}

# measure_qora AIM
measure_qora() {
    local aim=$1 run="$folder/qora-$1" stick
    echo "== qora, $aim aim"
    stick=$(aim_prepare_run "$run" 1 "qora aim deflection" "$aim")
    qora_start_capture "$run" "qora aim deflection"
    probe "$aim" "$run/packets.bin" "$stick"
    qora_end_program
}

measure_floor
measure_qora classic
measure_qora precise

# field LABEL RATE SPEED NAME: the value after NAME on that line.
field() {
    local line
    for line in "${lines[@]}"; do
        if [[ "$line" == "$1 rate $2 speed $3 "* ]]; then
            awk -v name="$4" '{ for (i = 1; i < NF; ++i) if ($i == name) print $(i + 1) }' \
                <<<"$line"
            return 0
        fi
    done
    echo "-"
}

# deflection AIM RATE SPEED: "P % (RAW; MIN-MAX)"
deflection() {
    echo "$(field "$1" "$2" "$3" percent) % ($(field "$1" "$2" "$3" median);" \
        "$(field "$1" "$2" "$3" min)-$(field "$1" "$2" "$3" max))"
}

echo
echo "Steady stick deflection by mouse speed, LOWLATENCY=1: % of full scale (raw median;" \
    "lowest-highest over the steady part):"
echo
echo "| mouse | counts/ms | classic aim | precise aim | counts sent / read by the floor |"
echo "|---|---|---|---|---|"
for rate in "${rates[@]}"; do
    for speed in "${speeds[@]}"; do
        echo "| $rate Hz | $speed | $(deflection classic "$rate" "$speed") |" \
            "$(deflection precise "$rate" "$speed") |" \
            "$(field floor "$rate" "$speed" sent) / $(field floor "$rate" "$speed" received) |"
    done
done
