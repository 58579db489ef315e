#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it. Usage: scripts/fuzz.sh TARGET [seconds]
# TARGET is a file name of tests/fuzz without ".cpp" (fuzz_arguments, fuzz_config, ...); without
# seconds it runs until stopped. New inputs collect in <build>/corpus/TARGET, the seeds in
# tests/fuzz/corpus/TARGET are only read. A finding is written to <build>/findings/: fix it, then
# copy it into the seed corpus so that the replay test keeps it. MORVANE_FUZZ_BUILD names the
# build folder (default build/fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ] || [ ! -f "tests/fuzz/$1.cpp" ]; then
    echo "usage: $0 TARGET [seconds]; targets: $(cd tests/fuzz && ls fuzz_*.cpp | sed 's/\.cpp$//' | tr '\n' ' ')" >&2
    exit 2
fi
target="$1"
seconds="${2:-0}"
build="$(realpath -m "${MORVANE_FUZZ_BUILD:-build/fuzz}")"

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "$target"

corpus="$build/corpus/$target"
findings="$build/findings/$target-"
mkdir -p "$corpus" "$(dirname "$findings")"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# -timeout: an input that takes 10 s is a hang.
"$build/fuzz/bin/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings" "$corpus" "tests/fuzz/corpus/$target"
