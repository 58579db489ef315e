#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
morvane_install "${MORVANE_PACKAGES[@]}" "${MORVANE_TEST_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_WERROR=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
# The Windows settings store, built with mingw-w64 and run under wine.
scripts/windows-check.sh build
