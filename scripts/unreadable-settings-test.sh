#!/usr/bin/env bash
# End-to-end check that the Linux qora-profiles never writes from a setting.ini it could
# not read, nor over one it may not write: every command runs as an unprivileged user in
# a folder that user owns (so a temporary file and a rename would go through), on a store
# of three profiles, first with a setting.ini the user may write but not read, then with
# a read-only one. Root ignores file permissions, so run as root the tool runs as
# QORA_TEST_USER (nobody); run as anyone else, as that user. Every command that needs
# what it cannot have fails with a message and status 1, and both files keep every byte.
set -euo pipefail
cd "$(dirname "$0")/.."

tool=build/host/tools/profiles/qora-profiles
if [ ! -x "$tool" ]; then
    cmake --preset host >/dev/null
    cmake --build --preset host --target qora-profiles
fi

if [ "$(id -u)" -eq 0 ]; then
    user=${QORA_TEST_USER:-nobody}
    group=$(id -gn "$user")
    as_user() { setpriv --reuid="$user" --regid="$group" --clear-groups "$@"; }
else
    user=$(id -un)
    group=$(id -gn)
    as_user() { "$@"; }
fi

folder=$(mktemp -d /tmp/qora-settings-XXXXXX)
trap 'rm -rf "$folder"' EXIT
cp "$tool" "$folder/"
sed -e 's/^COUNT=.*/COUNT=3/' resources/defaults/setting.ini >"$folder/setting.ini"
# Three copies of the first starter profile.
for _ in 1 2 3; do head -c 144 resources/defaults/config.bin; done >"$folder/config.bin"
"$folder/qora-profiles" --folder "$folder" export 0 -o "$folder/mine.txt"
chown -R "$user:$group" "$folder"
before=$(cd "$folder" && sha256sum setting.ini config.bin)

failures=0
# expect STATUS TEXT COMMAND...: the tool's status and a text it must print.
expect() {
    local expected=$1 text=$2
    shift 2
    local status=0
    (cd "$folder" && as_user ./qora-profiles "$@") >"$folder/out.txt" 2>&1 || status=$?
    if [ "$status" -ne "$expected" ] || ! grep -qF "$text" "$folder/out.txt"; then
        echo "error: qora-profiles $*: status $status (expected $expected), output:" >&2
        cat "$folder/out.txt" >&2
        failures=$((failures + 1))
    else
        echo "   qora-profiles $*: status $status, \"$text\""
    fi
}
unchanged() {
    chmod u+rw "$folder/setting.ini"
    if [ "$(cd "$folder" && sha256sum setting.ini config.bin)" != "$before" ]; then
        echo "error: $1: setting.ini or config.bin changed" >&2
        failures=$((failures + 1))
    fi
    if ls "$folder"/*.new >/dev/null 2>&1; then
        echo "error: $1: a temporary file was left" >&2
        failures=$((failures + 1))
    fi
}

echo "setting.ini that $user may write but not read"
chmod 0200 "$folder/setting.ini"
unreadable="setting.ini cannot be read: access denied"
expect 1 "$unreadable" list
expect 1 "$unreadable" check
expect 1 "$unreadable" export 0
expect 1 "$unreadable" import mine.txt
unchanged "unreadable setting.ini"

echo "read-only setting.ini"
chmod 0444 "$folder/setting.ini"
expect 0 '* 0 "Shooter"' list
expect 0 "3 profiles, no problems" check
expect 0 'NAME = "Shooter"' export 0
expect 1 "setting.ini cannot be written: access denied" import mine.txt
unchanged "read-only setting.ini"

if [ "$failures" -ne 0 ]; then
    echo "Settings check failed: $failures problems." >&2
    exit 1
fi
echo "Settings check passed: both files unchanged, as $user."
