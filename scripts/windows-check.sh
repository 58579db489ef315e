#!/usr/bin/env bash
# Builds the Windows registry store with mingw-w64 and checks it against wine's registry, since Qt
# for Windows cannot be built here. Usage: scripts/windows-check.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."

out_dir="$(realpath -m "${1:-build}")/windows-check"
mkdir -p "$out_dir"
# The posix thread model: the default win32 one lacks std::mutex.
x86_64-w64-mingw32-g++-posix -std=c++20 -static -O1 -Wall -Wextra -Werror -I src/engine \
    -o "$out_dir/registry_check.exe" \
    tests/config/windows/registry_check.cpp src/engine/config/RegistryStore.cpp -ladvapi32

# Console only: keep wine off any display the caller has.
unset DISPLAY WAYLAND_DISPLAY
# A prefix of our own; the Mono and Gecko installers are skipped, nothing here needs them.
export WINEPREFIX="$out_dir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
# Making a prefix takes 30-60 s, so it is kept; one whose set-up was cut short is made anew.
if [ ! -f "$out_dir/wineprefix.ready" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
    touch "$out_dir/wineprefix.ready"
fi

status=0
"$wine" "$out_dir/registry_check.exe" || status=$?
/usr/lib/wine/wineserver -w
if [ "$status" -ne 0 ]; then
    echo "Windows registry check failed" >&2
fi
exit "$status"
