#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test through ctest;
# then the suite again under the sanitizers, and each fuzz target for a short while.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
morvane_install "${MORVANE_PACKAGES[@]}" "${MORVANE_TEST_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_WERROR=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
# The Windows settings store, built with mingw-w64 and run under wine.
scripts/windows-check.sh build
# AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite, ThreadSanitizer over the
# tests labelled "threads"; any report fails.
tests/sanitizers/run.sh address build/asan
tests/sanitizers/run.sh thread build/tsan
# Every fuzz target for 30 s from its seed corpus; a finding fails.
for target in tests/fuzz/fuzz_*.cpp; do
    MORVANE_FUZZ_BUILD=build/fuzz scripts/fuzz.sh "$(basename "$target" .cpp)" 30
done
