#!/usr/bin/env bash
# Measures when the binding modes, the layers and a profile switch send their packets.
# Under Wine and Xvfb, with the virtual adapter and two profiles of its own (imported with
# qora-profiles), an XTest probe (tools/latency/mode_probe.c) plays a plan of key and
# mouse-button presses and logs, on the monotonic clock, each press and every moment
# packets.bin grew; scripts/lib/mode_timing.py gives each packet qora-packets decoded its
# arrival time and measures, with LOWLATENCY=1 and on the tick alone:
#   - turbo (A, 30/30 and 50/20 ms, held 2 s at a time): each period, each press phase and
#     every edge against its moment (the first press plus the cycle), and edges not sent;
#   - a macro (A 60, 40, B+X 60, 25, Y 100): each step's length, every step's end against
#     its moment, and the first step from the key;
#   - a toggled action's press to its packet beside a plain key's;
#   - the walk key's scaled deflection (WALK SPEED 50 and 30) against the same key alone,
#     on the Xbox 360 and the PS3;
#   - the layer "ADS" (WHILE the right button, DELAY 0 / RELEASE DELAY 80, and DELAY 150 /
#     RELEASE DELAY 0), which turns a held key from B into RC so that the packet shows it:
#     from the button, and from the packet of the button's own binding (LT), less the delay;
#   - a profile switch: Page Up to the first packet of the new profile, a key held through
#     it that is X in one profile and Y in the other;
#   - qora's CPU time over CPU_S seconds idle, with a plain key held and with the turbo held;
# and, in the same run, the timer floor: how late a bare program's timed wait wakes under
# the same Wine (tools/latency/timer_lateness.c), for waits as long as the modes' (1 to
# 100 ms). Prints a summary with the load average. Takes about eight minutes. TURBO_HOLDS
# (5), MACROS (20), PRESSES (30 of each key), WALKS (3), LAYERS (15), SWITCHES (20), CPU_S
# (10), TIMER_SAMPLES (40) and SEED change it; KEEP=FOLDER keeps the runs' files there.
# BEFORE=QORA_EXE adds a run of that qora.exe with LOWLATENCY=1 on the Xbox 360, to compare
# a change with the program before it in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."

seed=${SEED:-$RANDOM}
timer_samples=${TIMER_SAMPLES:-40}

bash scripts/install-deps.sh
echo "== building"
cmake --preset windows >/dev/null
cmake --build --preset windows --target qora timer-lateness >/dev/null
cmake --preset host >/dev/null
cmake --build --preset host --target mode-probe qora-packets qora-profiles >/dev/null
probe=build/host/tools/latency/mode-probe
packets_tool=build/host/tools/qora-packets
profiles_tool=build/host/tools/profiles/qora-profiles

source scripts/lib/wine-bench.sh
source scripts/lib/capture-bench.sh
source scripts/lib/aim-bench.sh
folder=$(mktemp -d /tmp/qora-mode-timing-XXXXXX)
trap 'xdotool keyup t j u k w d Prior 2>/dev/null || true; qora_stop_everything; rm -rf "$folder"' EXIT

# The profiles the plan drives (see scripts/lib/mode_timing.py): the second differs in
# the held key of the switch, the turbo times, the walk speed and the layer's delays.
write_profiles() {
    cat >"$folder/one.txt" <<'EOF'
CONSOLE = xbox360
NAME = "timing one"
A = T
LB = G
RB = H
B = J
X = U
LAU = W
LAR = D
MOUSE RIGHT = LT
DIRECTION = Right Stick
TOGGLE = LB
TURBO = A
TURBO PRESS = 30
TURBO RELEASE = 30
WALK = K
WALK SPEED = 50
MACRO F = A 60, 40, B+X 60, 25, Y 100

LAYER = "ADS"
WHILE = MOUSE RIGHT
DELAY = 0
RELEASE DELAY = 80
B = none
RC = J
EOF
    sed -e 's/"timing one"/"timing two"/' -e 's/^X = U/Y = U/' \
        -e 's/^TURBO PRESS = 30/TURBO PRESS = 50/' -e 's/^TURBO RELEASE = 30/TURBO RELEASE = 20/' \
        -e 's/^WALK SPEED = 50/WALK SPEED = 30/' -e 's/^DELAY = 0/DELAY = 150/' \
        -e 's/^RELEASE DELAY = 80/RELEASE DELAY = 0/' -e '/^MACRO/d' -e '/^TOGGLE/d' \
        "$folder/one.txt" >"$folder/two.txt"
}

# make_store: config.bin and layers.bin of both profiles, in $folder/store.
make_store() {
    local store="$folder/store"
    mkdir -p "$store"
    sed -e 's/^COUNT=.*/COUNT=0/' resources/defaults/setting.ini >"$store/setting.ini"
    "$profiles_tool" --folder "$store" import "$folder/one.txt" >/dev/null
    "$profiles_tool" --folder "$store" import "$folder/two.txt" >/dev/null
    "$profiles_tool" --folder "$store" check >/dev/null
}

# start_capture FOLDER: qora_start_capture with the pointer over qora's window, where the
# probe's mouse buttons go; moved before the run starts, so its motion sends nothing.
start_capture() {
    local run=$1 window
    qora_start "$run"
    qora_wait_for 60 "qora's window" qora_window_shown "qora modes"
    window=$(qora_window_id "qora modes")
    xdotool mousemove --window "$window" 200 150
    xdotool windowfocus "$window"
    sleep 0.5
    xdotool key F12
    qora_wait_for 10 "the first packet" qora_file_at_least "$run/packets.bin" 50
}

# measure NAME LOWLATENCY CONSOLE [QORA_EXE LABEL]: one capture run that plays the
# console's plan, with build/windows/qora.exe or the one given.
measure() {
    local name=$1 lowLatency=$2 console=$3 run="$folder/$1" label ostype
    label=$([ "$lowLatency" = 1 ] && echo "LOWLATENCY=1" || echo "tick only")
    label=${5:-$label}
    ostype=$([ "$console" = ps3 ] && echo 1 || echo 0)
    qora_prepare_run "$run" "$lowLatency" "qora modes"
    [ -z "${4:-}" ] || cp "$4" "$run/qora.exe"
    cp "$folder/store/config.bin" "$folder/store/layers.bin" "$run/"
    sed -i -e 's/^COUNT=.*/COUNT=2/' -e 's/^CURRENT=.*/CURRENT=0/' \
        -e "s/^OSTYPE=.*/OSTYPE=$ostype/" "$run/setting.ini"
    python3 scripts/lib/mode_timing.py plan "$console" "$seed" >"$run/plan.txt"
    {
        echo "label $label"
        echo "console $console"
        echo "loadavg $(cat /proc/loadavg)"
    } >"$run/run.txt"
    echo "== $label, $console: load average $(cut -d' ' -f1-3 /proc/loadavg)"
    start_capture "$run"
    echo "qora $QORA_PID" >>"$run/run.txt"
    "$probe" "$run/packets.bin" "$run/plan.txt" "$QORA_PID" >"$run/probe.log"
    qora_end_program
    "$packets_tool" --console "$console" "$run/packets.bin" >"$run/packets.txt"
}

# measure_timer_floor: the bare program's timed waits under the same Wine.
measure_timer_floor() {
    cp build/windows/timer-lateness.exe "$folder/"
    echo "== timer floor: $timer_samples waits each"
    # As long as the waits of the turbo's phases and the macro's steps: Wine wakes later
    # the longer the wait.
    (cd "$folder" && wine timer-lateness.exe "$timer_samples" 1 8 25 30 50 60 100) \
        >"$folder/timer.txt" \
        2>"$folder/timer-wine.log"
}

qora_wine_prefix
qora_bench_display
aim_start_wineserver
write_profiles
make_store
runs=()
for console in xbox360 ps3; do
    for lowLatency in 1 0; do
        measure "$console-$lowLatency" "$lowLatency" "$console"
        runs+=("$folder/$console-$lowLatency")
    done
done
if [ -n "${BEFORE:-}" ]; then
    measure before 1 xbox360 "$BEFORE" "LOWLATENCY=1, $BEFORE"
    runs+=("$folder/before")
fi
measure_timer_floor

echo
echo "Seed $seed; load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)."
echo
python3 scripts/lib/mode_timing.py table "$folder/timer.txt" "${runs[@]}"
if [ -n "${KEEP:-}" ]; then
    cp -r "$folder" "$KEEP"
    echo "The runs' files are kept in $KEEP."
fi
