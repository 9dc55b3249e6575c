#!/usr/bin/env bash
# Builds qora.exe and starts it from build/run/, a folder holding setting.ini, config.bin
# and layers.bin (copied from the defaults the first time, then yours to keep).
#   - On Windows (Git Bash, MSYS2): runs qora.exe directly.
#   - On Linux with a display: runs it under Wine.
#   - On Linux without a display: runs it under Wine on a virtual screen, starts a capture
#     run on the virtual adapter, types a few keys, stops, prints the packets the console
#     would have received and saves a screenshot with the debug overlay on.
set -euo pipefail
cd "$(dirname "$0")/.."

case "$(uname -s)" in
MINGW* | MSYS* | CYGWIN*) on_windows=1 ;;
*) on_windows=0 ;;
esac

if [ "$on_windows" -eq 0 ]; then
    bash scripts/install-deps.sh
fi
cmake --preset windows >/dev/null
cmake --build --preset windows

run=build/run
mkdir -p "$run"
cp build/windows/qora.exe "$run/"
for name in setting.ini config.bin layers.bin; do
    [ -f "$run/$name" ] || cp "build/windows/$name" "$run/"
done

if [ "$on_windows" -eq 1 ]; then
    cd "$run" && exec ./qora.exe
fi

source scripts/lib/wine-bench.sh
qora_wine_prefix
if [ -n "${DISPLAY:-}" ]; then
    echo "Starting qora under Wine from $run/ (F12 starts a capture run, F11 stops it)."
    cd "$run" && exec wine qora.exe
fi

# No display: a short demonstration on a virtual screen.
cmake --preset host >/dev/null
cmake --build --preset host --target qora-packets >/dev/null
trap qora_stop_everything EXIT
qora_headless_display

demo=build/run-demo
rm -rf "$demo" && mkdir -p "$demo"
cp "$run/qora.exe" "$run/config.bin" "$demo/"
sed -e 's/^VIRTUAL=.*/VIRTUAL=1/' -e 's/^ENABLE=.*/ENABLE=1/' -e 's/^OSTYPE=.*/OSTYPE=0/' \
    "$run/setting.ini" >"$demo/setting.ini"
title=$(sed -n 's/^TITLE=//p' "$demo/setting.ini" | tr -d '\r')
packets="$demo/packets.bin"

echo "No display: running qora on a virtual screen from $demo/ with the virtual adapter."
qora_start "$demo"
qora_wait_for 60 "the main window" qora_window_shown "$title"
window=$(qora_window_id "$title")
xdotool windowfocus "$window"
sleep 0.5
qora_click "$window" $QORA_MENU_TOOL
qora_click "$window" $QORA_MENU_TOOL_DEBUG

echo "F12: capture run started. Typing W (left stick up), SPACE (A), then W + D together."
xdotool key F12
qora_wait_for 10 "the first packet" qora_file_at_least "$packets" 50
qora_hold_key w 0.4
qora_hold_key space 0.4
xdotool keydown w keydown d keydown space
sleep 0.5
screenshot="$PWD/build/run-demo/qora-screenshot.png"
import -window root -crop "$(xdotool getwindowgeometry "$window" |
    awk '/Geometry/ { g = $2 } /Position/ { split($2, p, ","); x = p[1]; y = p[2] }
         END { print g "+" x "+" y }')" "$screenshot"
xdotool keyup space keyup d keyup w
sleep 0.3
qora_hold_key F11

echo
echo "What the Xbox 360 received (build/host/tools/qora-packets --console xbox360 $packets):"
build/host/tools/qora-packets --console xbox360 "$packets"
echo
echo "Screenshot of the window with the debug overlay on: $screenshot"

qora_click "$window" $QORA_MENU_FILE
qora_click "$window" $QORA_MENU_FILE_EXIT
qora_wait_for 30 "qora.exe to end" bash -c "! kill -0 $QORA_PID"
