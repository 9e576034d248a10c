#!/bin/bash
# Installs, on Debian 12, whatever the build and the tests need and the machine lacks, without
# recommended packages: everything used is named here. Does nothing when everything is there.
#
#   scripts/ensure-deps.sh [PACKAGE...]    the common set, plus the PACKAGEs a verb needs
#                                          (make bench and make fuzz pass theirs, make iso and
#                                          make reproducible-check xorriso, which writes the
#                                          disc image and reads it back)
#
# A minimal Debian 12 (debootstrap's minbase with make and git) is the starting point; make
# fresh-check proves the list there.
set -euo pipefail

packages=(
    # The build: CMake, the native compiler (its sanitizer runtimes come with it), the MinGW
    # cross compiler in its POSIX thread model (cmake/mingw32.cmake), windres, and objdump
    # (scripts/demo/package.sh), GoogleTest's sources (/usr/src/googletest), and Python for the
    # loader's pictures, the test drivers and the demo recorder (standard library only).
    cmake make g++ python3 clang-format
    g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
    googletest libgtest-dev
    # GLM's headers, for the shipped benchmark, whose speed guard is a test of the MinGW tree.
    libglm-dev
    # Running the Windows programs: Wine in 32 bits, and the fonts its dialog and GUI font
    # resolve to (the demo's captions are drawn in DEFAULT_GUI_FONT).
    wine wine32:i386 fonts-wine
    # A private X server (Xvfb and xvfb-run, which needs xauth), keys and clicks (xdotool),
    # screenshots and reading them back, the contact sheet and the GIF (ImageMagick: import,
    # convert, montage), and the font of the contact sheet's captions (DejaVu Sans).
    xvfb xauth xdotool imagemagick fonts-dejavu-core
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
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
# wine32 comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
fi
"${sudo[@]}" apt-get update -qq
# apt's own summary of the download is the one line kept from its output; its errors still
# reach the terminal.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}" | { grep -E '^(Need to get|After this operation)' || true; }
