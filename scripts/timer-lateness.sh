#!/usr/bin/env bash
# Measures how long a timed wait on the GUI thread really sleeps under Wine, for choosing a
# timer finer than SetTimer's 10 ms. tools/latency/timer_lateness.c waits with
# MsgWaitForMultipleObjectsEx, SAMPLES times each (default 200): on a timeout of 1, 2, 4
# and 8 ms, and on a waitable timer due in as long (plain and high-resolution), at the
# default timer resolution and inside timeBeginPeriod(1); QueryPerformanceCounter times
# each wait. Takes about half a minute.
set -euo pipefail
cd "$(dirname "$0")/.."

samples=${SAMPLES:-200}

bash scripts/install-deps.sh
echo "== building"
cmake --preset windows >/dev/null
cmake --build --preset windows --target timer-lateness >/dev/null

source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
folder=$(mktemp -d /tmp/qora-timer-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT
qora_wine_prefix
# A display as the other benches have: user32 waits on it like qora's loop does.
qora_bench_display
aim_start_wineserver

cp build/windows/timer-lateness.exe "$folder/"
echo "== timed waits, $samples each"
(cd "$folder" && wine timer-lateness.exe "$samples") >"$folder/lateness.txt" 2>"$folder/wine.log"

echo
echo "Time a wait on the GUI thread really slept, in ms ($samples waits each):"
echo
echo "| wait | timer resolution | asked | n | min | median | p90 | max |"
echo "|---|---|---|---|---|---|---|---|"
while read -r wait _ period rest; do
    if [[ "$rest" == unavailable* ]]; then
        echo "| $wait | $period | ${rest} | | | | | |"
        continue
    fi
    read -r _ asked _ n _ min _ median _ p90 _ max <<<"$rest"
    echo "| $wait | $period | $asked | $n | $min | $median | $p90 | $max |"
done <"$folder/lateness.txt"
