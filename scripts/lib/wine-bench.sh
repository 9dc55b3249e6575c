# The Wine test bench: helpers shared by the run, smoke-test and screenshot scripts.
# Source it from a script that has already built build/windows/qora.exe.

QORA_ROOT=${QORA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
export WINEDEBUG=-all
export WINEPREFIX=${WINEPREFIX:-$QORA_ROOT/build/wine-prefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

QORA_XVFB_PID=""
QORA_PID=""

# A private Wine prefix under the build tree, made once.
qora_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Preparing the Wine prefix (once)..."
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w || true
    fi
}

# A virtual screen when there is no display.
qora_headless_display() {
    local number
    for number in 91 92 93 94 95 96; do
        if [ ! -e "/tmp/.X11-unix/X$number" ] && [ ! -e "/tmp/.X$number-lock" ]; then
            Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            QORA_XVFB_PID=$!
            export DISPLAY=":$number"
            qora_wait_for 10 "the virtual screen" xdotool getdisplaygeometry
            return 0
        fi
    done
    echo "error: no free X display number for Xvfb" >&2
    return 1
}

# The screen the bench drives: a virtual one, unless QORA_USE_DISPLAY asks for the display
# this shell already has. Call it before the first Wine process of a session, which starts
# the desktop every later one uses.
qora_bench_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${QORA_USE_DISPLAY:-}" ]; then
        unset DISPLAY
    fi
    if [ -z "${DISPLAY:-}" ]; then
        qora_headless_display
    fi
}

# qora_wait_for SECONDS WHAT COMMAND...: runs COMMAND until it succeeds.
qora_wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then
            echo "error: gave up waiting for $what after ${seconds}s" >&2
            return 1
        fi
        sleep 0.2
    done
}

# Starts qora.exe from FOLDER in the background; QORA_PID is Wine's process.
qora_start() {
    local folder=$1
    (cd "$folder" && exec wine qora.exe) >"$folder/wine.log" 2>&1 &
    QORA_PID=$!
}

qora_window_id() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
qora_window_shown() { [ -n "$(qora_window_id "$1")" ]; }

# The top-left corner of a window, as "X Y".
qora_window_origin() {
    xdotool getwindowgeometry "$1" | awk '/Position/ { split($2, p, ","); print p[1], p[2] }'
}

# Clicks at X Y relative to the window's top-left corner.
qora_click() {
    local window=$1 x=$2 y=$3 origin
    origin=$(qora_window_origin "$window")
    xdotool mousemove $(( ${origin% *} + x )) $(( ${origin#* } + y )) click 1
    sleep 0.4
}

# Holds a key long enough for a 33 ms poll to see it.
qora_hold_key() {
    xdotool keydown "$1"
    sleep "${2:-0.3}"
    xdotool keyup "$1"
    sleep 0.2
}

qora_file_size() { stat -c %s "$1" 2>/dev/null || echo 0; }
qora_file_at_least() { [ "$(qora_file_size "$1")" -ge "$2" ]; }

# Menu places in the main window as Wine draws them (no window manager: no caption).
QORA_MENU_FILE="13 10"
QORA_MENU_FILE_EXIT="25 46"
QORA_MENU_TOOL="44 10"
QORA_MENU_TOOL_SETTING="65 30"
QORA_MENU_TOOL_DEBUG="61 46"

qora_stop_everything() {
    if [ -n "$QORA_PID" ] && kill -0 "$QORA_PID" 2>/dev/null; then
        kill "$QORA_PID" 2>/dev/null || true
    fi
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$QORA_XVFB_PID" ]; then
        kill "$QORA_XVFB_PID" 2>/dev/null || true
    fi
}
