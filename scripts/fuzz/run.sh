#!/bin/bash
# Builds the fuzz target (build/fuzz: clang, -fsanitize=fuzzer,address,undefined) and runs it.
#
#   scripts/fuzz/run.sh [SECONDS]        fuzz for SECONDS (default 600), growing build/fuzz/corpus
#   scripts/fuzz/run.sh --ci [SECONDS]   replay fuzz/regressions/*, then fuzz for SECONDS
#                                        (default 60) from the seeds alone; fails on any finding
#
# A finding stops the run with a non-zero status; its input is written to build/fuzz/artifacts/.
# Make it a regression: minimise it (camera_fuzzer -minimize_crash=1 -runs=10000 INPUT) and
# copy the result into fuzz/regressions/.
set -euo pipefail
cd "$(dirname "$0")/../.."

ci=false
if [ "${1:-}" = --ci ]; then
    ci=true
    shift
fi
seconds=${1:-$($ci && echo 60 || echo 600)}

tree=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANTA_FUZZ=ON \
    >/dev/null
cmake --build "$tree" -j "$(nproc)" --target camera_fuzzer
fuzzer=$tree/bin/camera_fuzzer
mkdir -p "$tree/artifacts"
options=(-timeout=10 -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$tree/artifacts/")

if $ci; then
    shopt -s nullglob
    regressions=(fuzz/regressions/*)
    if [ ${#regressions[@]} -gt 0 ]; then
        echo "replaying ${#regressions[@]} regression input(s)"
        "$fuzzer" "${options[@]}" "${regressions[@]}"
    fi
    # A scratch corpus: CI starts from the committed seeds every time. libFuzzer's progress
    # lines go to a log; on a finding its report (the end of the log) is shown.
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    log=$tree/fuzz-ci.log
    echo "fuzzing for ${seconds} s from fuzz/corpus (log: $log)"
    if ! "$fuzzer" "${options[@]}" -max_total_time="$seconds" "$work" fuzz/corpus >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzzing found a fault; its input is in $tree/artifacts/" >&2
        exit 1
    fi
    grep -E '^stat::(number_of_executed_units|new_units_added)' "$log" || true
else
    mkdir -p "$tree/corpus"
    "$fuzzer" "${options[@]}" -max_total_time="$seconds" "$tree/corpus" fuzz/corpus
fi
echo "fuzzing ended without a finding after ${seconds} s"
