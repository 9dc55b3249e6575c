#!/usr/bin/env bash
# Builds qora.exe and starts it from a folder holding the default setting.ini and
# config.bin: on Windows directly, on Linux under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows

if [ ! -f build/windows/qora.exe ]; then
    echo "qora.exe is not built yet: the program itself is still being written." >&2
    echo "The portable core and its tests are there: bash scripts/test.sh" >&2
    exit 1
fi
