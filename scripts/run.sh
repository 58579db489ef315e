#!/usr/bin/env bash
# Installs what is missing, builds a release build into build/ and starts Morvane with the
# arguments given.
set -euo pipefail
cd "$(dirname "$0")/.."

# Whether the window may find a display: false only when neither X11 nor Wayland can be reached
# and nothing names another platform (the program itself judges more closely).
may_have_display() {
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${WAYLAND_SOCKET:-}" ] ||
        { [ -n "${XDG_RUNTIME_DIR:-}" ] && [ -e "$XDG_RUNTIME_DIR/wayland-0" ]; }; then
        return 0
    fi
    local platforms platform argument
    IFS=';' read -ra platforms <<<"${QT_QPA_PLATFORM:-}"
    for platform in "${platforms[@]}"; do
        case "${platform%%:*}" in
        xcb | wayland*) ;;
        *) return 0 ;;
        esac
    done
    for argument in "$@"; do
        case "$argument" in
        -platform | --platform | -display | --display) return 0 ;;
        esac
    done
    return 1
}

# Said before a build that would end in a window that cannot open.
if ! may_have_display "$@"; then
    echo "morvane: no display found; set DISPLAY or WAYLAND_DISPLAY, or use morvane-cli for" \
        "conversions without a window" >&2
    exit 1
fi

source scripts/setup.sh
morvane_install "${MORVANE_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target morvane
exec build/bin/morvane "$@"
