#!/usr/bin/env bash
# Builds and runs every benchmark in a release build; each prints its timings and its ratio.
# Usage: bench/run-all.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_BENCHMARKS=ON >/dev/null

run() {
    cmake --build "$build" --target "$1" >/dev/null
    "$build/bench/bin/$1"
}

run bench_convert
run bench_cli
run bench_app
run bench_input
run bench_run
