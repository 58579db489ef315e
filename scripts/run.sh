#!/usr/bin/env bash
# Installs what is missing, builds a release build into build/ and starts Morvane with the
# arguments given.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
morvane_install "${MORVANE_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target morvane
exec build/bin/morvane "$@"
