#!/usr/bin/env bash
# Installs the Debian 12 packages the build and every test stage need; a no-op when all are there.
# `install-deps.sh cli` installs only what the command line needs to build (the demo's first run
# should not wait for Wine, Qt and clang).
set -euo pipefail

CLI_PACKAGES=(cmake ninja-build g++ libexpat1-dev)
PACKAGES=(
    "${CLI_PACKAGES[@]}"
    # native tests
    googletest libgtest-dev libgmock-dev libbenchmark-dev python3
    # fuzzing (libFuzzer comes with clang's runtime)
    clang libclang-rt-14-dev
    # the Windows program, cross-compiled and run under Wine in a virtual display
    g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth imagemagick
    # the locale sources that test-unicode-wine.sh builds its English and Japanese locales from
    locales
    # the Linux dialog
    qt6-base-dev qt6-base-dev-tools libgl-dev
    # the packages: built with CPack (dpkg-shlibdeps finds the dependencies), installed and
    # checked as a user's machine would (lintian, the manual page, the desktop entry, the zip)
    dpkg-dev lintian desktop-file-utils man-db bsdextrautils unzip x11-utils
)

if [ "${1:-}" = cli ]; then
    PACKAGES=("${CLI_PACKAGES[@]}")
fi

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
