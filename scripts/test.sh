#!/usr/bin/env bash
# Runs the tests. Usage: scripts/test.sh [--full]
#   without options: installs what is missing, builds the dev preset into build/ (optimised,
#                    warnings as errors) and runs every ctest test, the real tools included;
#   --full:          also what CI runs: the Windows settings store under wine, the suite under
#                    AddressSanitizer and ThreadSanitizer, and each fuzz target for 30 s.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
"") full=no ;;
--full) full=yes ;;
*)
    echo "usage: $0 [--full]" >&2
    exit 2
    ;;
esac

source scripts/setup.sh
if [ "$full" = yes ]; then
    morvane_install "${MORVANE_PACKAGES[@]}" "${MORVANE_TEST_PACKAGES[@]}"
else
    morvane_install "${MORVANE_PACKAGES[@]}"
fi

cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev -j "$(nproc)"

if [ "$full" = yes ]; then
    # The Windows settings store, built with mingw-w64 and run under wine.
    scripts/windows-check.sh build
    # AddressSanitizer and UndefinedBehaviorSanitizer over the whole suite, ThreadSanitizer over
    # the tests labelled "threads"; any report fails.
    tests/sanitizers/run.sh address
    tests/sanitizers/run.sh thread
    # Every fuzz target for 30 s from its seed corpus; a finding fails.
    for target in tests/fuzz/fuzz_*.cpp; do
        scripts/fuzz.sh "$(basename "$target" .cpp)" 30
    done
fi
echo "scripts/test.sh${1:+ $1}: passed in $((SECONDS / 60)) min $((SECONDS % 60)) s"
