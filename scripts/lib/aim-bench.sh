# Helpers of the scripts that move the mouse (aim-latency.sh, aim-deflection.sh,
# cpu-time.sh): the programs they need, qora run folders whose store holds the starter
# profile with classic aim (record 0) and with precise aim (record 1), and the floor
# program in its mouse mode. Source it after scripts/lib/wine-bench.sh and
# scripts/lib/capture-bench.sh.

AIM_PROBE=build/host/tools/latency/aim-probe
AIM_STORE_TOOL=build/host/tools/latency/aim-store

# aim_build WINDOWS_TARGET...: the Windows targets named, and the host probe and store tool.
aim_build() {
    cmake --preset windows >/dev/null
    cmake --build --preset windows --target "$@" >/dev/null
    cmake --preset host >/dev/null
    cmake --build --preset host --target aim-probe aim-store >/dev/null
}

# aim_record AIM: the store record of that aim, `classic` or `precise`.
aim_record() {
    case $1 in
    classic) echo 0 ;;
    precise) echo 1 ;;
    *)
        echo "error: unknown aim '$1'" >&2
        return 1
        ;;
    esac
}

# aim_prepare_run FOLDER LOWLATENCY TITLE AIM: a qora run folder (qora_prepare_run) whose
# store holds both profiles and whose CURRENT names the one of AIM. Prints the stick the
# profile's mouse moves (left or right), where the probe reads the deflection.
aim_prepare_run() {
    local run=$1 lowLatency=$2 title=$3 record stick
    record=$(aim_record "$4")
    qora_prepare_run "$run" "$lowLatency" "$title"
    stick=$("$AIM_STORE_TOOL" resources/defaults/config.bin "$run/config.bin")
    sed -i -e 's/^COUNT=.*/COUNT=2/' -e "s/^CURRENT=.*/CURRENT=$record/" "$run/setting.ini"
    grep -q "^CURRENT=$record\$" "$run/setting.ini"
    if [ "$stick" != left ] && [ "$stick" != right ]; then
        echo "error: the starter profile's mouse moves the $stick, not a stick" >&2
        return 1
    fi
    echo "$stick"
}

# aim_start_floor FOLDER: the floor program in its mouse mode, focused, its file there.
aim_start_floor() {
    local run=$1
    mkdir -p "$run"
    cp build/windows/latency-floor.exe "$run/"
    (cd "$run" && exec wine latency-floor.exe mouse) >"$run/wine.log" 2>&1 &
    QORA_PID=$!
    qora_wait_for 60 "the floor program's window" qora_window_shown "latency floor"
    xdotool windowfocus "$(qora_window_id "latency floor")"
    qora_wait_for 10 "latency-floor.bin" test -f "$run/latency-floor.bin"
    # The mouse is exclusive and foreground: it is acquired once the focus has arrived.
    sleep 0.5
}

# A persistent wineserver for the prefix, started before the first Wine program so that no
# Wine child holds the script's pipes. One that already runs would be ended with the bench.
aim_start_wineserver() {
    if ! wineserver -p; then
        echo "error: a wineserver already runs for $WINEPREFIX: end it (wineserver -k)" \
            "or choose another WINEPREFIX" >&2
        return 1
    fi
}
