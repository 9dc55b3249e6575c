#!/usr/bin/env bash
# Measures how long mouse motion takes to move the stick, and how long the stick takes to
# come back once the mouse stops. Under Wine and Xvfb, with the virtual adapter, an XTest
# probe (tools/latency/aim_probe.cpp) moves the mouse like a 1000 Hz mouse: bursts of 40 to
# 200 ms at SPEED counts per ms (one event per millisecond), with random pauses once the
# stick is back at rest. Onset is the time from a burst's first event to the first packet
# with the stick deflected; stop, from its last event to the packet that centres the
# stick. Measured in the same run: the platform's floor (the bare DirectInput program of
# latency.sh in its mouse mode: its onset is its first event, its "last" the read of a
# burst's last count, the earliest a stop can be; it also checks that every count sent
# arrives), then qora with LOWLATENCY=1 and on its 33 ms tick alone, each with
# the starter profile as classic aim and as precise aim.
# Takes about three minutes; BURSTS (default 40), SEED and SPEED (default 2) change the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bursts=${BURSTS:-40}
seed=${SEED:-$RANDOM}
speed=${SPEED:-2}

bash scripts/install-deps.sh
echo "== building"
source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
aim_build qora latency-floor

folder=$(mktemp -d /tmp/qora-aim-latency-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
qora_bench_display
aim_start_wineserver

rows=()   # "LABEL|WHAT|n N min MIN median MEDIAN p90 P90 max MAX"
counts="" # the floor's check of the counts

# probe LABEL FILE SOURCE: runs the probe and keeps its lines; a burst that never arrived
# is reported and the run goes on.
probe() {
    local label=$1 file=$2 source=$3 output line status=0
    output=$("$AIM_PROBE" latency "$label" "$file" "$source" "$bursts" "$seed" "$speed") ||
        status=$?
    echo "$output"
    [ "$status" -le 1 ] || exit "$status"
    while read -r line; do
        case $line in
        "$label onset "* | "$label stop "* | "$label last "*)
            local rest=${line#"$label "}
            rows+=("$label|${rest%% *}|${rest#* }")
            ;;
        "$label counts "*) counts=${line#"$label counts "} ;;
        esac
    done <<<"$output"
}

measure_floor() {
    local run="$folder/floor"
    echo "== floor: $bursts bursts"
    aim_start_floor "$run"
    probe floor "$run/latency-floor.bin" floor
    qora_end_program
}

# measure_qora LOWLATENCY AIM
measure_qora() {
    local lowLatency=$1 aim=$2 run="$folder/qora-$1-$2" mode label stick
    mode=$([ "$lowLatency" = 1 ] && echo "LOWLATENCY=1" || echo "tick only")
    label="qora, $mode, $aim"
    echo "== $label: $bursts bursts"
    stick=$(aim_prepare_run "$run" "$lowLatency" "qora aim latency" "$aim")
    qora_start_capture "$run" "qora aim latency"
    probe "$label" "$run/packets.bin" "$stick"
    qora_end_program
}

measure_floor
for lowLatency in 1 0; do
    for aim in classic precise; do
        measure_qora "$lowLatency" "$aim"
    done
done

# figure LABEL WHAT FIELD: one figure of a row (n, min, median, p90 or max).
figure() {
    local row
    for row in "${rows[@]}"; do
        if [ "${row%%|*}" = "$1" ] && [ "$(cut -d'|' -f2 <<<"$row")" = "$2" ]; then
            awk -v field="$3" '{ for (i = 1; i < NF; i += 2) if ($i == field) print $(i + 1) }' \
                <<<"${row##*|}"
            return 0
        fi
    done
    echo "-"
}

echo
echo "Mouse motion to the stick, in ms ($bursts bursts of 40-200 ms at $speed counts/ms," \
    "1000 Hz, seed $seed):"
echo
echo "| program | | n | min | median | p90 | max |"
echo "|---|---|---|---|---|---|---|"
for row in "${rows[@]}"; do
    IFS='|' read -r label what figures <<<"$row"
    read -r _ n _ min _ median _ p90 _ max <<<"$figures"
    [ "$what" != last ] || what="last count"
    echo "| $label | $what | $n | $min | $median | $p90 | $max |"
done
echo
echo "XTest to DirectInput, the floor's count: $counts (sent and received must agree)."
echo
floorOnset=$(figure floor onset median)
floorLast=$(figure floor last median)
for aim in classic precise; do
    echo "$aim: onset median $(figure "qora, LOWLATENCY=1, $aim" onset median) ms with" \
        "LOWLATENCY=1, $(figure "qora, tick only, $aim" onset median) ms on the tick; the" \
        "floor's $floorOnset ms. Stop median $(figure "qora, LOWLATENCY=1, $aim" stop median)" \
        "and $(figure "qora, tick only, $aim" stop median) ms, p90" \
        "$(figure "qora, LOWLATENCY=1, $aim" stop p90) and $(figure "qora, tick only, $aim" stop p90) ms;" \
        "the floor's last count $floorLast ms."
done
echo "(Goals: precise aim's onset median within 2 ms of the floor's, its stop p90 at most" \
    "8 ms; classic aim with LOWLATENCY=1 no worse than on the tick.)"
