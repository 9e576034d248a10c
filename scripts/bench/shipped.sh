#!/bin/bash
# The shipped 32-bit SCRIPT.x32 timed under Wine: builds the package (make dist), cross-builds
# the benchmark (build/bench-win32, the plug-in's own compile flags) and runs it on
# dist/data/Xtras/SCRIPT.x32 under its three hosts, the lean, the tagged and the boxed one, all figures
# from one process; then prints each host's figures and ratios (scripts/bench/chart.py). A
# failed check, or misuse of a host, fails the run.
#
#   scripts/bench/shipped.sh [MODULE [JSON]]
#
# MODULE defaults to dist/data/Xtras/SCRIPT.x32 (made first), JSON to build/bench/shipped.json:
# the minimum and the median of each benchmark's repetitions, and every repetition. The figures
# are the minimum over many short repetitions (shipped_bench.cpp); SHIPPED_REPETITIONS and
# SHIPPED_MIN_TIME override how many and how short.
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=$(nproc)

module=${1:-}
json=${2:-build/bench/shipped.json}
if [ -z "$module" ]; then
    make --no-print-directory dist JOBS="$jobs" >/dev/null
    module=dist/data/Xtras/SCRIPT.x32
fi
[ -f "$module" ] || { echo "shipped.sh: no module at $module" >&2; exit 1; }

cmake -S . -B build/bench-win32 -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DORVANTA_BENCH=ON >/dev/null
cmake --build build/bench-win32 -j "$jobs" --target shipped_bench
mkdir -p "$(dirname "$json")"

# Wine's drive Z: is the Linux root.
windows_path() {
    local path
    path=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
    echo "Z:${path//\//\\}"
}
# The Wine prefix lives in build/win32, which a module given on the command line may not have made.
mkdir -p build/win32
options=()
if [ -n "${SHIPPED_REPETITIONS:-}" ]; then options+=(--repetitions "$SHIPPED_REPETITIONS"); fi
if [ -n "${SHIPPED_MIN_TIME:-}" ]; then options+=(--min-time "$SHIPPED_MIN_TIME"); fi
scripts/wine-run.sh build/bench-win32/bin/shipped_bench.exe "$(windows_path "$module")" \
    "${options[@]}" --json "$(windows_path "$json")"
python3 scripts/bench/chart.py --shipped "$json"
