#!/usr/bin/env bash
# Makes the screenshots in docs/: the main window in both console modes with the overlay
# on and buttons pressed, the Setting dialog, both Map dialogs (the Xbox 360 one as the
# starter profile opens, classic aim; the PS3 one switched to precise aim with a dead zone
# and an exponent), the Modes dialog of the Xbox 360 base with modes set as a player sets
# them, the Xbox 360 Map dialog again with a new layer "ADS" made and chosen, the Modes
# dialog of that layer (its own turbo and macro, the rest the base's in grey), and the
# calibration view during a run. Run after a windows build; the pictures are committed, so
# the build itself needs none of this. QORA_USE_DISPLAY=1 draws on $DISPLAY instead of a
# virtual screen of its own.
#
#   bash scripts/screenshots.sh               # every picture
#   bash scripts/screenshots.sh calibration   # only docs/calibration-view.png
#   bash scripts/screenshots.sh consoles      # all but docs/calibration-view.png
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine-bench.sh
trap qora_stop_everything EXIT

qora_bench_display
qora_wine_prefix
mkdir -p docs

capture() { # capture WINDOW FILE
    import -window root -crop "$(xdotool getwindowgeometry "$1" |
        awk '/Geometry/ { g = $2 } /Position/ { split($2, p, ","); x = p[1]; y = p[2] }
             END { print g "+" x "+" y }')" "$2"
}

# Places in the Map dialog as Wine draws it (a dialog unit is 1.5 pixels): Precise, the
# dead zone bar's right arrow and the exponent bar's left arrow of the Aim group; in the
# Layers group the name field, New layer, the trigger's list and its item "Right" once it
# has dropped, the delay; the left arrows of the zoom bars. The dialog holds the keyboard
# but for its text fields, so lists are driven by the mouse.
QORA_MAP_AIM_PRECISE="762 309"
QORA_MAP_AIM_DEAD_ZONE_RIGHT="818 357"
QORA_MAP_AIM_EXPONENT_LEFT="697 453"
QORA_MAP_LAYER_NAME="342 60"
QORA_MAP_LAYER_NEW="464 60"
QORA_MAP_LAYER_TRIGGER_LIST="114 87"
QORA_MAP_LAYER_TRIGGER_RIGHT="90 126"
QORA_MAP_LAYER_DELAY="453 87"
QORA_MAP_ZOOM_X_LEFT="558 432"
QORA_MAP_ZOOM_Y_LEFT="558 456"
QORA_MAP_LAYER_MODES="679 87"
# Places in the Modes dialog: the Toggle boxes of B and LC, the Turbo box of RT, the turbo
# times, the walk key and speed, the macro's key and steps, Set macro and OK.
QORA_MODES_TOGGLE_B="271 97"
QORA_MODES_TOGGLE_LC="31 115"
QORA_MODES_TURBO_RT="511 190"
QORA_MODES_TURBO_PRESS="108 233"
QORA_MODES_TURBO_RELEASE="246 233"
QORA_MODES_WALK_KEY="103 292"
QORA_MODES_WALK_SPEED="225 292"
QORA_MODES_MACRO_KEY="103 436"
QORA_MODES_MACRO_STEPS="424 436"
QORA_MODES_MACRO_SET="433 463"
QORA_MODES_OK="531 512"

# Precise aim, a dead zone of 12.5 % and an exponent of 0.85, as a player might set them.
set_precise_aim() { # set_precise_aim MAP_WINDOW
    local step
    qora_click "$1" $QORA_MAP_AIM_PRECISE
    for step in $(seq 25); do
        qora_click "$1" $QORA_MAP_AIM_DEAD_ZONE_RIGHT
    done
    for step in $(seq 3); do
        qora_click "$1" $QORA_MAP_AIM_EXPONENT_LEFT
    done
}

# A layer "ADS" as a player makes one: held on the right mouse button, after 150 ms, with
# both zoom scales at 0.5; every other field stays the base's, in grey.
make_ads_layer() { # make_ads_layer MAP_WINDOW
    local step
    qora_click "$1" $QORA_MAP_LAYER_NAME
    xdotool type --delay 80 ADS
    qora_click "$1" $QORA_MAP_LAYER_NEW
    qora_click "$1" $QORA_MAP_LAYER_TRIGGER_LIST
    qora_click "$1" $QORA_MAP_LAYER_TRIGGER_RIGHT
    qora_click "$1" $QORA_MAP_LAYER_DELAY
    xdotool key --delay 80 End BackSpace
    xdotool type --delay 80 150
    for step in $(seq 5); do
        qora_click "$1" $QORA_MAP_ZOOM_X_LEFT
        qora_click "$1" $QORA_MAP_ZOOM_Y_LEFT
    done
}

modes_closed() { ! qora_window_shown "Binding modes"; }

open_modes() { # open_modes MAP_WINDOW: sets MODES_WINDOW
    qora_click "$1" $QORA_MAP_LAYER_MODES
    qora_wait_for 10 "the Modes dialog" qora_window_shown "Binding modes"
    sleep 0.5
    MODES_WINDOW=$(qora_window_id "Binding modes")
}

# A number field of the Modes dialog, emptied and typed anew.
type_number() { # type_number MODES_WINDOW X Y VALUE
    qora_click "$1" "$2" "$3"
    xdotool key --delay 80 End BackSpace BackSpace BackSpace BackSpace
    xdotool type --delay 80 "$4"
}

# A macro: its key pressed in the key field, its steps typed, then Set macro.
set_macro() { # set_macro MODES_WINDOW KEY STEPS
    qora_click "$1" $QORA_MODES_MACRO_KEY
    qora_hold_key "$2"
    qora_click "$1" $QORA_MODES_MACRO_STEPS
    xdotool type --delay 60 "$3"
    qora_click "$1" $QORA_MODES_MACRO_SET
}

# The base's modes as a player sets them: crouch (B) and sprint (LC) toggle, the trigger on
# the left mouse button (RT) repeats 40 ms on, 40 ms off, L ALT walks at 30 %, F plays a
# jump and a dodge.
set_base_modes() { # set_base_modes MODES_WINDOW
    qora_click "$1" $QORA_MODES_TOGGLE_B
    qora_click "$1" $QORA_MODES_TOGGLE_LC
    qora_click "$1" $QORA_MODES_TURBO_RT
    type_number "$1" $QORA_MODES_TURBO_PRESS 40
    type_number "$1" $QORA_MODES_TURBO_RELEASE 40
    qora_click "$1" $QORA_MODES_WALK_KEY
    qora_hold_key Alt_L
    type_number "$1" $QORA_MODES_WALK_SPEED 30
    set_macro "$1" f "A 60, 40, B+X 60"
}

# The ADS layer's own modes: a slower turbo while aiming and a macro of its own on H; the
# toggles, the walk and F's macro stay the base's, in grey.
set_layer_modes() { # set_layer_modes MODES_WINDOW
    type_number "$1" $QORA_MODES_TURBO_PRESS 60
    type_number "$1" $QORA_MODES_TURBO_RELEASE 90
    set_macro "$1" h "RB 30, 30, RB 30"
}

# start_overlay_run OSTYPE: qora in a fresh folder with the virtual adapter, the overlay on
# and a capture run started; sets SHOT_FOLDER and SHOT_WINDOW.
start_overlay_run() {
    SHOT_FOLDER=$(mktemp -d /tmp/qora-shots-XXXXXX)
    cp build/windows/qora.exe build/windows/config.bin "$SHOT_FOLDER/"
    sed -e 's/^VIRTUAL=.*/VIRTUAL=1/' -e "s/^OSTYPE=.*/OSTYPE=$1/" \
        resources/defaults/setting.ini >"$SHOT_FOLDER/setting.ini"
    qora_start "$SHOT_FOLDER"
    qora_wait_for 60 "the main window" qora_window_shown qora
    SHOT_WINDOW=$(qora_window_id qora)
    xdotool windowfocus "$SHOT_WINDOW"
    sleep 0.5
    qora_click "$SHOT_WINDOW" $QORA_MENU_TOOL
    qora_click "$SHOT_WINDOW" $QORA_MENU_TOOL_DEBUG
    xdotool key F12
    qora_wait_for 10 "the first packet" qora_file_at_least "$SHOT_FOLDER/packets.bin" 50
}

shoot_console() { # shoot_console OSTYPE NAME
    local mode=$1 name=$2 folder window
    start_overlay_run "$mode"
    folder=$SHOT_FOLDER
    window=$SHOT_WINDOW
    # Move, jump, aim, grenade and look right, all at once.
    xdotool keydown w keydown a keydown space keydown q keydown KP_6 keydown Up keydown Left
    sleep 0.5
    capture "$window" "docs/main-window-$name.png"
    xdotool keyup Left keyup Up keyup KP_6 keyup q keyup space keyup a keyup w
    sleep 0.3
    qora_hold_key F11

    qora_click "$window" $QORA_MENU_TOOL
    qora_click "$window" $QORA_MENU_TOOL_SETTING
    qora_wait_for 10 "the Setting dialog" qora_window_shown Setting
    sleep 0.5
    [ "$mode" = 0 ] && capture "$(qora_window_id Setting)" docs/setting-dialog.png
    qora_click "$(qora_window_id Setting)" 250 136 # Map
    qora_wait_for 10 "the Map dialog" qora_window_shown Map
    sleep 0.8
    [ "$mode" = 1 ] && set_precise_aim "$(qora_window_id Map)"
    capture "$(qora_window_id Map)" "docs/map-dialog-$name.png"
    if [ "$mode" = 0 ]; then
        open_modes "$(qora_window_id Map)"
        set_base_modes "$MODES_WINDOW"
        capture "$MODES_WINDOW" docs/modes-dialog-base.png
        qora_click "$MODES_WINDOW" $QORA_MODES_OK
        # Without a window manager Wine waits for the closed dialog's window to be withdrawn
        # before it takes the next input, and the keyboard's focus does not come back.
        qora_wait_for 10 "the Modes dialog to close" modes_closed
        xdotool windowfocus "$(qora_window_id Map)"
        sleep 0.3
        make_ads_layer "$(qora_window_id Map)"
        capture "$(qora_window_id Map)" docs/map-dialog-layer.png
        open_modes "$(qora_window_id Map)"
        set_layer_modes "$MODES_WINDOW"
        capture "$MODES_WINDOW" docs/modes-dialog-layer.png
    fi
    wineserver -k >/dev/null 2>&1 || true
    wait "$QORA_PID" 2>/dev/null || true
    QORA_PID=""
    rm -rf "$folder"
}

# Relative mouse motion for about SECONDS, to the right and back, so the pointer never
# meets the screen's edge: about 3 counts per millisecond.
move_mouse() { # move_mouse SECONDS
    local end=$((SECONDS + $1)) there=() back=() i
    for i in $(seq 20); do
        there+=(mousemove_relative -- 6 0 sleep 0.002)
        back+=(mousemove_relative -- -6 0 sleep 0.002)
    done
    while [ $SECONDS -lt $end ]; do
        xdotool "${there[@]}" "${back[@]}"
    done
}

# Live calibration over the overlay, on the starter profile "Shooter" (classic aim, so the
# notice shows): a dead zone of 20 %, sensitivity X raised to 1.25 (its curve in red, Y's in
# blue) and the mouse moving, its live point on the curves.
shoot_calibration() {
    local folder window
    start_overlay_run 0
    folder=$SHOT_FOLDER
    window=$SHOT_WINDOW
    qora_hold_key Scroll_Lock
    qora_hold_key F5
    xdotool click --repeat 40 --delay 30 4
    qora_hold_key F6
    xdotool click --repeat 5 --delay 30 4
    sleep 0.3
    move_mouse 3 &
    sleep 1
    capture "$window" docs/calibration-view.png
    wait $!
    qora_hold_key F11
    wineserver -k >/dev/null 2>&1 || true
    wait "$QORA_PID" 2>/dev/null || true
    QORA_PID=""
    rm -rf "$folder"
}

if [ "${1:-}" != calibration ]; then
    shoot_console 0 xbox360
    shoot_console 1 ps3
fi
[ "${1:-}" = consoles ] || shoot_calibration
ls -l docs/*.png
