#!/usr/bin/env bash
# End-to-end check that a config.bin the user cannot read is never written over: qora.exe
# runs under Wine as an unprivileged user on a read-only store of three profiles that the
# user may not read. Root ignores file permissions, so run as root this check runs qora
# as QORA_TEST_USER (nobody) on a store owned by root; run as anyone else, on a store
# whose owner has taken every permission away. Tool > Setting says the store cannot be
# read, New says it again and adds nothing, and config.bin and COUNT keep every byte.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/wine-bench.sh

# The message boxes' texts go to Wine's log, where this check reads them.
export WINEDEBUG=-all,+msgbox
if [ "$(id -u)" -eq 0 ]; then
    user=${QORA_TEST_USER:-nobody}
    group=$(id -gn "$user")
    # The user's own Wine prefix and home, made once: Wine refuses another user's prefix.
    user_root="$QORA_ROOT/build/wine-user-$user"
    mkdir -p "$user_root/home" "$user_root/prefix"
    chown "$user:$group" "$user_root/home" "$user_root/prefix"
    export WINEPREFIX="$user_root/prefix"
    as_user() {
        setpriv --reuid="$user" --regid="$group" --clear-groups \
            env HOME="$user_root/home" WINEPREFIX="$WINEPREFIX" WINEDEBUG="$WINEDEBUG" \
            WINEDLLOVERRIDES="$WINEDLLOVERRIDES" DISPLAY="$DISPLAY" "$@"
    }
    store_owner=root:root
    store_mode=0400
else
    user=$(id -un)
    group=$(id -gn)
    as_user() { "$@"; }
    store_owner="$user:$group"
    store_mode=0000
fi

folder=$(mktemp -d /tmp/qora-store-XXXXXX)
stop() {
    as_user wineserver -k >/dev/null 2>&1 || true
    [ -n "$QORA_XVFB_PID" ] && kill "$QORA_XVFB_PID" 2>/dev/null || true
    rm -rf "$folder"
}
trap stop EXIT

cp build/windows/qora.exe "$folder/"
sed -e 's/^VIRTUAL=.*/VIRTUAL=1/' -e 's/^TITLE=.*/TITLE=qora store check/' \
    -e 's/^COUNT=.*/COUNT=3/' resources/defaults/setting.ini >"$folder/setting.ini"
# Three copies of the first starter profile.
starter() { head -c 144 build/windows/config.bin; }
{ starter; starter; starter; } >"$folder/config.bin"
chown -R "$user:$group" "$folder"
chown "$store_owner" "$folder/config.bin"
chmod "$store_mode" "$folder/config.bin"
before=$({ starter; starter; starter; } | sha256sum)
log="$folder/wine.log"

qora_bench_display
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Preparing the Wine prefix of $user (once)..."
    as_user wineboot -i >/dev/null 2>&1 || true
    as_user wineserver -w || true
fi
as_user wineserver -p
(cd "$folder" && as_user wine qora.exe) >"$log" 2>&1 &

boxes() { grep -c 'MSGBOX_OnInit L"config.bin cannot be read: access denied"' "$log" || true; }
boxes_at_least() { [ "$(boxes)" -ge "$1" ]; }
# Answers the message box on the screen.
dismiss_box() {
    qora_wait_for 10 "the message box" qora_window_shown Warning
    xdotool windowfocus "$(qora_window_id Warning)"
    xdotool key Return
    qora_wait_for 10 "the message box to close" bash -c "! xdotool search --onlyvisible --name '^Warning\$'"
}

qora_wait_for 60 "the main window" qora_window_shown "qora store check"
window=$(qora_window_id "qora store check")
xdotool windowfocus "$window"
sleep 0.5

echo "Tool > Setting says that config.bin cannot be read"
qora_click "$window" $QORA_MENU_TOOL
qora_click "$window" $QORA_MENU_TOOL_SETTING
qora_wait_for 10 "the box at open" boxes_at_least 1
dismiss_box

echo "New says it again and writes nothing"
qora_wait_for 10 "the Setting dialog" qora_window_shown Setting
qora_click "$(qora_window_id Setting)" 250 48 # New
qora_wait_for 10 "the box after New" boxes_at_least 2
dismiss_box

chmod u+r "$folder/config.bin"
[ "$(sha256sum <"$folder/config.bin")" = "$before" ] ||
    { echo "error: config.bin changed" >&2; exit 1; }
grep -q '^COUNT=3' "$folder/setting.ini" || { echo "error: COUNT changed" >&2; exit 1; }
[ ! -e "$folder/config.bin.new" ] || { echo "error: a temporary store was left" >&2; exit 1; }
echo "Unreadable store check passed: two messages, config.bin and COUNT unchanged."
