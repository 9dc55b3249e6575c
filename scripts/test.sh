#!/usr/bin/env bash
# Installs what is missing, builds the host, host-asan and windows presets, and runs every
# test: the unit tests natively and under the sanitizers, each fuzz target for 20 s, the
# resource script check, the end-to-end smoke test of the release zip under Wine, the
# check that it never writes over a config.bin the user cannot read, and the same for the
# Linux qora-profiles and a setting.ini the user cannot read or write.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== formatting"
git ls-files '*.cpp' '*.h' | grep -v '^resources/resource_ids.h$' |
    xargs clang-format --dry-run -Werror

for preset in host host-asan; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

echo "== qora-profiles on a setting.ini the user cannot read or write"
bash scripts/unreadable-settings-test.sh

echo "== fuzz"
bash scripts/fuzz.sh 20

echo "== windows, and its release zip"
cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --build --preset windows --target package

echo "== resources: the script, the pictures, the default files"
python3 resources/check_rc.py
python3 resources/defaults/make_config.py --check
python3 resources/art/preview_overlay.py build/art-preview >/dev/null

if [ -f build/windows/qora.exe ]; then
    echo "== end-to-end smoke test under Wine"
    bash scripts/smoke-test.sh
    echo "== an unreadable config.bin under Wine, as an unprivileged user"
    bash scripts/unreadable-store-test.sh
fi

echo "All tests passed."
