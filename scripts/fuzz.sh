#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each one for SECONDS (default 20), starting from
# its committed seeds in fuzz/corpus/<target>/ and from what earlier runs found in
# build/fuzz/corpus/<target>/. A crash, a sanitizer report or a broken invariant stops
# the script with a non-zero status and leaves the input in build/fuzz/artifacts/.
#
#   bash scripts/fuzz.sh            # 20 s per target, as the test command runs them
#   bash scripts/fuzz.sh 3600       # an hour per target
#   bash scripts/fuzz.sh 600 store_fuzzer
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
targets=(ini_file_fuzzer store_fuzzer packet_decoder_fuzzer packets_tool_fuzzer
    mouse_processor_fuzzer key_names_fuzzer profile_text_fuzzer layer_file_fuzzer
    macro_steps_fuzzer)
if [ $# -gt 1 ]; then
    targets=("${@:2}")
fi

mkdir -p build/fuzz/corpus build/fuzz/artifacts build/fuzz/logs

# libFuzzer comes with clang's runtime libraries (libclang-rt-dev on Debian).
probe=build/fuzz/link-probe
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' |
    clang++ -x c++ -fsanitize=fuzzer,address,undefined - -o "$probe" 2>"$probe.log" || {
    cat "$probe.log" >&2
    echo "error: clang cannot link -fsanitize=fuzzer,address,undefined;" \
        "install clang and libclang-rt-dev (bash scripts/install-deps.sh)" >&2
    exit 1
}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The targets that work on files do so in a temporary folder; memory is faster than disk.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

root=$(pwd)
for target in "${targets[@]}"; do
    corpus=$root/build/fuzz/corpus/$target
    log=$root/build/fuzz/logs/$target.log
    mkdir -p "$corpus"
    options=(-max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$root/build/fuzz/artifacts/$target-")
    if [ -f "fuzz/$target.dict" ]; then
        options+=(-dict="$root/fuzz/$target.dict")
    fi
    echo "== $target, $seconds s"
    if ! "$root/build/fuzz/fuzz/$target" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "error: $target failed (log: $log); rerun an input with" \
            "build/fuzz/fuzz/$target build/fuzz/artifacts/$target-<name>" >&2
        exit 1
    fi
    awk '/stat::number_of_executed_units/ { runs = $2 }
         /stat::average_exec_per_sec/ { rate = $2 }
         END { printf "   %d runs, %d per second\n", runs, rate }' "$log"
done
echo "Fuzzing passed."
