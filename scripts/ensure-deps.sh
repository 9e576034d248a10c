#!/bin/bash
# Installs, on Debian 12, whatever the build and the tests need and the machine lacks.
# Does nothing when everything is there.
set -euo pipefail

packages=(
    cmake make g++ python3 clang-format
    g++-mingw-w64-i686 binutils-mingw-w64-i686
    wine wine32:i386
    xvfb xauth xdotool imagemagick
    googletest libgtest-dev
    "$@"
)

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
# wine32 comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
