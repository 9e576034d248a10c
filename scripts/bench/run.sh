#!/bin/bash
# Builds the benchmarks (build/bench: Release, no sanitizers), runs them in one process so the
# ratios between their figures hold, and turns the JSON into a summary and a chart.
#
#   scripts/bench/run.sh          the native benchmarks, the shipped 32-bit SCRIPT.x32 under Wine
#                                 (scripts/bench/shipped.sh), then the callgrind instruction count
#   scripts/bench/run.sh lto      the same projection benchmarks with link-time optimisation
#                                 (build/bench-lto), to see the module's projection inlined
#
# Outputs: build/bench/results.json, build/bench/shipped.json, build/bench/summary.md,
# build/bench/performance.svg
# (and build/bench/results-lto.json for "lto").
set -euo pipefail
cd "$(dirname "$0")/../.."
jobs=$(nproc)

variant=${1:-plain}
tree=build/bench
extra=()
json=$tree/results.json
if [ "$variant" = lto ]; then
    tree=build/bench-lto
    extra=(-DCMAKE_INTERPROCEDURAL_OPTIMIZATION=ON)
    json=build/bench/results-lto.json
    mkdir -p build/bench
fi

cmake -S . -B "$tree" -DCMAKE_BUILD_TYPE=Release -DORVANTA_SANITIZE=OFF -DORVANTA_BENCH=ON \
    "${extra[@]}" >/dev/null
cmake --build "$tree" -j "$jobs" --target projection_bench callgrind_driver

# Repetitions, randomly interleaved, reported as median: a noisy 2-core machine still gives
# ratios that hold within this one run.
"$tree"/bin/projection_bench \
    --benchmark_repetitions="${BENCH_REPETITIONS:-7}" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    --benchmark_min_time="${BENCH_MIN_TIME:-0.2}" \
    --benchmark_out="$json" --benchmark_out_format=json

if [ "$variant" = lto ]; then
    python3 scripts/bench/chart.py --lto "$json"
    exit 0
fi

scripts/bench/shipped.sh

lto_args=()
if [ -f build/bench/results-lto.json ]; then
    lto_args=(--lto-json build/bench/results-lto.json)
fi
python3 scripts/bench/chart.py "$json" "${lto_args[@]}" --shipped-json build/bench/shipped.json \
    --svg build/bench/performance.svg --markdown build/bench/summary.md
scripts/bench/callgrind.sh "$tree"/bin/callgrind_driver "${CALLGRIND_CALLS:-1000000}" \
    | tee build/bench/callgrind.txt
echo "summary: build/bench/summary.md, chart: build/bench/performance.svg"
