// A small timing harness for the 32-bit benchmark host: Google Benchmark is not available for
// the MinGW target. Each benchmark is a batch of operations; a repetition runs batches for at
// least a minimum time on QueryPerformanceCounter and yields nanoseconds per operation. The
// repetitions of all benchmarks are interleaved in a shuffled order. The figure reported is the
// minimum over the repetitions: on a shared machine another process only ever adds time, so
// with many short repetitions the fastest is the one least disturbed; the median is kept
// beside it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace timing {

struct Benchmark {
    std::string name;
    size_t operationsPerBatch;
    std::function<void()> batch;
    std::vector<double> nanosecondsPerOperation;  // one entry per repetition
};

inline double seconds() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

inline double minimum(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
}

inline double median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

// One repetition: a warm-up batch, then whole batches until `minimumSeconds` have passed.
inline double measureOnce(Benchmark& benchmark, double minimumSeconds) {
    benchmark.batch();
    size_t batches = 0;
    const double start = seconds();
    double elapsed = 0.0;
    do {
        benchmark.batch();
        ++batches;
        elapsed = seconds() - start;
    } while (elapsed < minimumSeconds);
    return elapsed * 1e9 / static_cast<double>(batches * benchmark.operationsPerBatch);
}

inline void runAll(std::vector<Benchmark>& benchmarks, int repetitions, double minimumSeconds,
                   uint32_t seed) {
    std::vector<size_t> order;
    for (int r = 0; r < repetitions; ++r) {
        for (size_t b = 0; b < benchmarks.size(); ++b) {
            order.push_back(b);
        }
    }
    std::mt19937 generator(seed);
    std::shuffle(order.begin(), order.end(), generator);
    for (size_t b : order) {
        benchmarks[b].nanosecondsPerOperation.push_back(measureOnce(benchmarks[b], minimumSeconds));
    }
}

}  // namespace timing
