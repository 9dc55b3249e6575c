#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests and the Wine test bench need and
# this machine does not have yet. Safe to run again: it installs nothing when all is there.
set -euo pipefail

packages=(
    cmake make g++ python3 clang-format clang libclang-rt-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
    wine wine64 xvfb xdotool imagemagick xauth libxtst-dev
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "error: run as root (apt-get needs it) or install these packages first" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"
