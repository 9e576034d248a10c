// The speed guard: ratios taken within one run of the shipped benchmark, each held to a bound,
// so that a change of the source or of the compiler that undoes the hot path's shape
// (codegen_notes.md) fails the test command, while a slow or loaded machine, which slows every
// benchmark of the run alike, does not. Each bound lies well above the spread of ten runs on
// the machine the notes name, but three in view, which lie between that spread and the build
// without -fno-tree-sink; the figures there say how far.
#pragma once

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "bench/shipped/timing.h"

namespace speed {

struct Bound {
    const char* host;  // whose own work is the numerator
    bool inView;
    const char* against;  // "serial": the serial formula; otherwise another host's own work
    double limit;
};

// The module's own work (dispatched call minus replayed host operations) against the serial
// formula, in and out of view, under each host; and the tagged host's against the lean one's.
constexpr Bound Bounds[] = {
    {"lean", true, "serial", 1.16},   {"lean", false, "serial", 1.95},
    {"tagged", true, "serial", 1.09}, {"tagged", false, "serial", 2.25},
    {"boxed", true, "serial", 1.43},  {"boxed", false, "serial", 2.55},
    {"tagged", true, "lean", 1.10},   {"tagged", false, "lean", 1.35},
};

inline double minimumOf(const std::vector<timing::Benchmark>& benchmarks, const std::string& name) {
    for (const timing::Benchmark& benchmark : benchmarks) {
        if (benchmark.name == name) {
            return timing::minimum(benchmark.nanosecondsPerOperation);
        }
    }
    return -1.0;
}

inline double ownWork(const std::vector<timing::Benchmark>& benchmarks, const std::string& host,
                      bool inView) {
    const std::string where = std::string("/host:") + host + (inView ? "/in_view:1" : "/in_view:0");
    return minimumOf(benchmarks, "W32_DispatchedGetProjection" + where) -
           minimumOf(benchmarks, "W32_HostOperationsOnly" + where);
}

// Each bound's ratio in one run, in the order of Bounds; a ratio that cannot be formed (a figure
// missing, or an own work that is not positive) is infinite.
inline std::vector<double> ratiosOf(const std::vector<timing::Benchmark>& benchmarks) {
    std::vector<double> ratios;
    for (const Bound& bound : Bounds) {
        const double own = ownWork(benchmarks, bound.host, bound.inView);
        const std::string against = bound.against;
        const double base =
            against == "serial"
                ? minimumOf(benchmarks, bound.inView ? "W32_FormulaSerial/in_view:1"
                                                     : "W32_FormulaSerial/in_view:0")
                : ownWork(benchmarks, against, bound.inView);
        ratios.push_back(own > 0.0 && base > 0.0 ? own / base
                                                 : std::numeric_limits<double>::infinity());
    }
    return ratios;
}

// Prints every ratio against its bound; false when one breaks it.
inline bool holds(const std::vector<double>& ratios, FILE* out) {
    bool held = true;
    for (size_t b = 0; b < ratios.size(); ++b) {
        const Bound& bound = Bounds[b];
        const bool ok = ratios[b] <= bound.limit;
        std::fprintf(out, "speed guard: %-6s own work / %-6s %-11s %5.2f (bound %.2f) %s\n",
                     bound.host, bound.against, bound.inView ? "in view" : "out of view", ratios[b],
                     bound.limit, ok ? "ok" : "BROKEN");
        held = held && ok;
    }
    return held;
}

// A busy machine can spoil a run: another program sharing the core for all of a benchmark's
// repetitions leaves its minimum too high, and a ratio off in either direction. So the guard
// runs up to this many times and holds each ratio to its bound by its best run; a build that
// breaks a bound breaks it in every run.
constexpr int Attempts = 5;

// Runs `measure` (one run, its benchmarks' figures) until every ratio's best so far holds its
// bound, or Attempts runs have been made; true when all hold.
template <typename Measure>
bool guard(Measure measure, FILE* out) {
    std::vector<double> best;
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        const std::vector<double> ratios = ratiosOf(measure());
        if (best.empty()) {
            best = ratios;
        }
        for (size_t b = 0; b < ratios.size(); ++b) {
            best[b] = ratios[b] < best[b] ? ratios[b] : best[b];
        }
        std::fprintf(out, "speed guard, run %d of at most %d, each ratio's best so far:\n", attempt,
                     Attempts);
        if (holds(best, out)) {
            return true;
        }
    }
    return false;
}

}  // namespace speed
