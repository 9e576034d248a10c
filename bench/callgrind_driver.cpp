// A fixed workload for an instruction count that does not depend on the machine's load:
// `callgrind_driver dispatched N` makes N getProjection calls through Call, as a script does;
// `callgrind_driver host-only N` makes only the host's value operations of those N calls.
// scripts/bench/callgrind.sh runs both under callgrind, counting inside the workload function
// alone (--toggle-collect), so the camera's creation and the point set are not counted.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_camera.h"

namespace {

constexpr size_t PointCount = 1024;

struct Workload {
    bench::ScriptedCamera camera;
    std::vector<std::vector<HostValue>> arguments;
    double checksum = 0.0;

    Workload() {
        const bench::PointSets points = bench::makePointSets(camera.state(), PointCount / 2);
        // In view and out of view alternate, as the points of a scene would come.
        for (size_t i = 0; i < points.inView.size(); ++i) {
            arguments.push_back(camera.projectionArguments(points.inView[i]));
            arguments.push_back(camera.projectionArguments(points.outOfView[i]));
        }
    }

    // The stage h of the result, so the work cannot be skipped.
    void take(HostValue& result) {
        const std::vector<HostValue> items = camera.host().itemsOf(result);
        if (items.size() == 2) {
            checksum += camera.host().floatOf(items[0]);
        }
        camera.host().release(result);
    }
};

}  // namespace

// Plain names, so callgrind's --toggle-collect can name them.
extern "C" __attribute__((noinline)) void orvanta_dispatched_workload(Workload& work, long calls) {
    for (long n = 0; n < calls; ++n) {
        std::vector<HostValue>& elements = work.arguments[static_cast<size_t>(n) % PointCount];
        HostValue result;
        work.camera.callWith(bench::GetProjection, elements.data(), &result);
        work.camera.host().release(result);
    }
}

// The same calls' host operations, in getProjection's order, without the module.
extern "C" __attribute__((noinline)) void orvanta_host_only_workload(Workload& work, long calls) {
    ValueServices* values = work.camera.links().valueServices;
    ListServices* lists = work.camera.links().listServices;
    for (long n = 0; n < calls; ++n) {
        bench::hostOperationsOfProjection(values, lists, work.camera.host(),
                                          work.arguments[static_cast<size_t>(n) % PointCount]);
    }
}

int main(int argc, char** argv) {
    if (argc != 3 ||
        (std::strcmp(argv[1], "dispatched") != 0 && std::strcmp(argv[1], "host-only") != 0)) {
        std::fprintf(stderr, "usage: %s dispatched|host-only CALLS\n", argv[0]);
        return 1;
    }
    const long calls = std::strtol(argv[2], nullptr, 10);
    Workload work;
    if (std::strcmp(argv[1], "dispatched") == 0) {
        orvanta_dispatched_workload(work, calls);
    } else {
        orvanta_host_only_workload(work, calls);
    }
    // One more call, checked: the workload's calls really projected.
    HostValue result;
    work.camera.callWith(bench::GetProjection, work.arguments.front().data(), &result);
    work.take(result);
    std::printf("%s: %ld calls, live host values %zu, checksum %.6f\n", argv[1], calls,
                work.camera.host().liveBoxes(), work.checksum);
    return work.checksum != 0.0 ? 0 : 3;
}
