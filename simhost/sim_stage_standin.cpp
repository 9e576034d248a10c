// Off Windows the stage is the plug-in's stand-in window record, whose rectangle the
// simulated host sets.
#include "simhost/sim_host_impl.h"
#include "xtra/boundary/stage_window.h"

namespace sim {

struct StageWindow {
    StandInWindow standIn{};
};

StageWindow* makeStageWindow() {
    return new StageWindow{};
}

void resizeStageWindow(StageWindow& window, int32_t width, int32_t height, bool readable) {
    // Placed away from the origin, so a reader that takes right or bottom for the size is
    // caught.
    window.standIn.rect = StageRect{40, 30, 40 + width, 30 + height};
    window.standIn.succeeds = readable;
}

void* stageWindowHandle(StageWindow& window) {
    return &window.standIn;
}

void destroyStageWindow(StageWindow* window) {
    delete window;
}

}  // namespace sim
