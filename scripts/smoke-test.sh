#!/usr/bin/env bash
# End-to-end smoke test of the Windows release under Wine and Xvfb: the zip is unpacked
# into a temporary folder, where qora-profiles.exe checks and lists the shipped store and
# qora.exe starts with the virtual adapter on, driven by xdotool: F12 starts a capture run,
# a bound key produces its packet in packets.bin, F11 stops the run, and File > Exit closes
# the window with exit code 0.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine-bench.sh

folder=$(mktemp -d /tmp/qora-smoke-XXXXXX)
trap 'qora_stop_everything; rm -rf "$folder"' EXIT

version=$(sed -n 's/^project(qora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package="$PWD/build/windows/qora-$version-win64.zip"
(cd "$folder" && cmake -E tar xf "$package")
unpacked="$folder/qora-$version-win64"
packets="$unpacked/packets.bin"
decode() { build/host/tools/qora-packets --console xbox360 "$packets"; }
packet_count() { echo $(( $(qora_file_size "$packets") / 50 )); }

qora_wine_prefix
# The display comes first (see qora_bench_display).
qora_bench_display

echo "The package as shipped: both starter profiles as text, and qora-profiles.exe checks and lists its store with its layers"
for text in shooter.txt shooter-precise.txt; do
    [ -f "$unpacked/$text" ] || { echo "error: the zip lacks $text" >&2; exit 1; }
done
profiles() { (cd "$unpacked" && wine qora-profiles.exe "$@") >"$folder/profiles.txt" 2>&1; }
profiles check || { cat "$folder/profiles.txt"; echo "error: the shipped store fails its check" >&2; exit 1; }
grep -q "^2 profiles, no problems" "$folder/profiles.txt" || { cat "$folder/profiles.txt"; exit 1; }
profiles list || { cat "$folder/profiles.txt"; exit 1; }
grep -q '^\* 0 "Shooter"' "$folder/profiles.txt" || { cat "$folder/profiles.txt"; exit 1; }
# layers.bin ships beside config.bin: "Shooter precise" has its ADS layer.
grep -q '^  1 "Shooter precise": .*precise aim.*, layer "ADS"' "$folder/profiles.txt" ||
    { cat "$folder/profiles.txt"; exit 1; }
cat "$folder/profiles.txt"

sed -i -e 's/^VIRTUAL=.*/VIRTUAL=1/' -e 's/^TITLE=.*/TITLE=qora smoke/' "$unpacked/setting.ini"

qora_start "$unpacked"
qora_wait_for 60 "the main window" qora_window_shown "qora smoke"
window=$(qora_window_id "qora smoke")
xdotool windowfocus "$window"
sleep 0.5

echo "F12 starts a capture run; its first tick sends the rest state"
xdotool key F12
qora_wait_for 10 "the first packet" qora_file_at_least "$packets" 50
[ "$(packet_count)" -eq 1 ] || { echo "error: expected one packet at the start" >&2; exit 1; }

echo "SPACE is bound to A in the starter profile: one packet at the press, one at the release"
qora_hold_key space 0.4
qora_wait_for 10 "the release packet" qora_file_at_least "$packets" 150
decode
decode | sed -n 2p | grep -q "buttons: A |" || { echo "error: no A in the second packet" >&2; exit 1; }
decode | sed -n 3p | grep -q "buttons: - |" || { echo "error: A not released" >&2; exit 1; }

echo "F11 stops the run: keys no longer reach the adapter"
qora_hold_key F11
sent=$(packet_count)
qora_hold_key space 0.4
sleep 0.5
[ "$(packet_count)" -eq "$sent" ] || { echo "error: packets after F11" >&2; exit 1; }

echo "File > Exit closes the window and ends the process"
qora_click "$window" $QORA_MENU_FILE
qora_click "$window" $QORA_MENU_FILE_EXIT
qora_wait_for 30 "qora.exe to end" bash -c "! kill -0 $QORA_PID"
status=0
wait "$QORA_PID" || status=$?
QORA_PID=""
[ "$status" -eq 0 ] || { echo "error: qora.exe ended with $status" >&2; exit 1; }
echo "Smoke test passed: $(packet_count) packets, clean exit."
