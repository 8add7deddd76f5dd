#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building and testing WinOrbis need, when they are missing;
# with --ci also those that only continuous integration needs (.ci/run).
set -euo pipefail

packages=(
    cmake ninja-build g++ ccache pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libqt6multimedia6
    libgtest-dev libgmock-dev googletest
    pxlib-dev
    fonts-dejavu-core
    locales lld
    libbenchmark-dev
    desktop-file-utils appstream groff-base
    dpkg-dev file
    xvfb xauth x11-utils xdotool ser2net
    pulseaudio libhamlib-dev libhamlib-utils
    qt6-httpserver-dev qt6-websockets-dev libsodium-dev
    chromium nodejs curl
)
# The browser tests' driver comes from npm; a Node.js that brings its own npm needs no package.
command -v npm >/dev/null || packages+=(npm)
if [ "${1:-}" = --ci ]; then
    # The fuzz targets' compiler and runtime, and the formatting check.
    packages+=(clang libclang-rt-14-dev clang-format)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
