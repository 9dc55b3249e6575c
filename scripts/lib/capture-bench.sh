# Helpers of the latency and CPU-time scripts: qora.exe in a folder of its own with the
# virtual adapter and the starter profile, a capture run started by F12. Source it after
# scripts/lib/wine-bench.sh.

# qora_prepare_run FOLDER LOWLATENCY TITLE: qora.exe, config.bin and a setting.ini.
qora_prepare_run() {
    local run=$1 lowLatency=$2 title=$3
    mkdir -p "$run"
    cp build/windows/qora.exe build/windows/config.bin "$run/"
    sed -e 's/^VIRTUAL=.*/VIRTUAL=1/' -e "s/^TITLE=.*/TITLE=$title/" \
        -e "s/^LOWLATENCY=.*/LOWLATENCY=$lowLatency/" \
        resources/defaults/setting.ini >"$run/setting.ini"
    grep -q "^LOWLATENCY=$lowLatency\$" "$run/setting.ini"
}

# qora_start_capture FOLDER TITLE: starts qora, focuses its window, starts a capture run
# and waits for the run's first packet.
qora_start_capture() {
    local run=$1 title=$2
    qora_start "$run"
    qora_wait_for 60 "qora's window" qora_window_shown "$title"
    xdotool windowfocus "$(qora_window_id "$title")"
    sleep 0.5
    xdotool key F12
    qora_wait_for 10 "the first packet" qora_file_at_least "$run/packets.bin" 50
}

# qora_end_program: ends the program this script started, by its process id.
qora_end_program() {
    if [ -n "$QORA_PID" ] && kill -0 "$QORA_PID" 2>/dev/null; then
        kill "$QORA_PID"
        wait "$QORA_PID" 2>/dev/null || true
    fi
    QORA_PID=""
}
