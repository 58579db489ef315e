#!/usr/bin/env bash
# Installs the Debian packages that Morvane needs to build, run and test; does nothing when they
# are all present. Sourced by run.sh and test.sh.
set -euo pipefail

MORVANE_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-svg-dev
    imagemagick libmagickcore-6.q16-6-extra ghostscript libjpeg-turbo-progs
    # Photo information (EXIF, XMP, colour profile); heif-enc makes the tests' HEIC photo.
    libexiv2-dev libheif-examples
    fonts-noto-cjk
    xvfb xauth x11-utils libxcb1-dev
    # The Debian package (cpack) and the checks of it, its menu entry and its metainfo.
    dpkg-dev file desktop-file-utils appstream shared-mime-info
)
MORVANE_TEST_PACKAGES=(
    g++-mingw-w64-x86-64 wine64
    clang libclang-rt-14-dev
)

morvane_missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$package"
        fi
    done
}

morvane_install() {
    local missing
    missing=$(morvane_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: $missing" >&2
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >&2
}
