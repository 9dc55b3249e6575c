#!/usr/bin/env bash
# Measures how long Tool > Setting takes to show its dialog over a store of 65 535
# profiles, the most COUNT allows, under Wine. The window thread fills the list before
# the dialog appears, and a capture run sends nothing meanwhile, so this is how long the
# program stands still. Prints the time from the menu click to the visible dialog.
#
#   bash scripts/measure-setting-dialog.sh [path/to/qora.exe] [profiles]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine-bench.sh

exe=${1:-build/windows/qora.exe}
count=${2:-65535}
folder=$(mktemp -d /tmp/qora-measure-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT

cp "$exe" "$folder/qora.exe"
sed -e 's/^VIRTUAL=.*/VIRTUAL=1/' -e 's/^TITLE=.*/TITLE=qora measure/' \
    -e "s/^COUNT=.*/COUNT=$count/" resources/defaults/setting.ini >"$folder/setting.ini"
# Profiles named "profile 0" ... with zoom scales of 1.0, 144 bytes each.
python3 - "$folder/config.bin" "$count" <<'EOF'
import struct, sys
path, count = sys.argv[1], int(sys.argv[2])
with open(path, "wb") as out:
    for n in range(count):
        record = bytearray(144)
        name = f"profile {n}".encode()
        record[: len(name)] = name
        record[135:139] = struct.pack("<f", 1.0)
        record[139:143] = struct.pack("<f", 1.0)
        out.write(record)
EOF

qora_wine_prefix
qora_bench_display
wineserver -p
qora_start "$folder"
qora_wait_for 60 "the main window" qora_window_shown "qora measure"
window=$(qora_window_id "qora measure")
xdotool windowfocus "$window"
sleep 0.5

qora_click "$window" $QORA_MENU_TOOL
origin=$(qora_window_origin "$window")
xdotool mousemove $((${origin% *} + ${QORA_MENU_TOOL_SETTING% *})) \
    $((${origin#* } + ${QORA_MENU_TOOL_SETTING#* }))
start=$(date +%s.%N)
xdotool click 1
until qora_window_shown Setting; do
    sleep 0.02
    if (($(date +%s) - ${start%.*} > 120)); then
        echo "error: no Setting dialog after 120 s" >&2
        exit 1
    fi
done
end=$(date +%s.%N)
awk -v start="$start" -v end="$end" -v count="$count" -v exe="$exe" \
    'BEGIN { printf "Setting dialog with %d profiles shown after %.2f s (%s)\n", count, end - start, exe }'
