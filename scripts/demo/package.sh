#!/bin/bash
# Lays out the shippable package as it goes on the disc:
#
#   DEST/loader.exe                 the program the user starts
#   DEST/README.txt                 for the person who installs it
#   DEST/data/projector.exe         the presentation, started by the loader
#   DEST/data/Xtras/SCRIPT.x32      the camera plug-in, loaded by the presentation
#   DEST/SHA256SUMS                 the hash of every other file, to check a copy against
#
# usage: package.sh BIN_DIR DEST   (BIN_DIR holds the cross-built loader.exe, projector.exe
# and SCRIPT.x32, and version.txt, the version the build stamped into them). DEST is created
# if needed; files already there are replaced.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 BIN_DIR DEST" >&2
    exit 2
fi
bin=$1
dest=$2
root=$(cd "$(dirname "$0")/../.." && pwd)

for file in loader.exe projector.exe SCRIPT.x32 version.txt; do
    if [ ! -f "$bin/$file" ]; then
        echo "package.sh: $bin/$file is missing; build the Windows tree first" >&2
        exit 1
    fi
done

# Shipped stripped, as the build links them: no symbol table and no debug sections.
for file in loader.exe projector.exe SCRIPT.x32; do
    if ! i686-w64-mingw32-objdump -t "$bin/$file" | grep -q '^no symbols' ||
        i686-w64-mingw32-objdump -h "$bin/$file" | grep -q ' \.debug'; then
        echo "package.sh: $bin/$file is not stripped" >&2
        exit 1
    fi
done

mkdir -p "$dest/data/Xtras"
cp "$bin/loader.exe" "$dest/loader.exe"
cp "$bin/projector.exe" "$dest/data/projector.exe"
cp "$bin/SCRIPT.x32" "$dest/data/Xtras/SCRIPT.x32"
version=$(<"$bin/version.txt")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
    echo "package.sh: $bin/version.txt holds no version x.y.z: '$version'" >&2
    exit 1
fi
# The version the binaries carry, and Windows line ends, for Notepad.
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/demo/package/README.txt" >"$dest/README.txt"
if ! grep -q "^Version $version"$'\r'"\$" "$dest/README.txt"; then
    echo "package.sh: README.txt names no version line for $version" >&2
    exit 1
fi
# Paths with forward slashes and LF line ends, as sha256sum -c reads them.
sums=$(cd "$dest" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
    xargs -d '\n' sha256sum)
printf '%s\n' "$sums" >"$dest/SHA256SUMS"
