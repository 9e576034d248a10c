// On Windows the stage is a real borderless window, so the plug-in's GetWindowRect runs.
#include <windows.h>

#include "simhost/sim_host_impl.h"

namespace sim {

struct StageWindow {
    HWND window = nullptr;
    bool borrowed = false;  // the caller's window, set by Host::setStageWindow
};

namespace {

const char* stageClassName() {
    static const char* name = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "OrvantaSimulatedStage";
        RegisterClassA(&windowClass);
        return "OrvantaSimulatedStage";
    }();
    return name;
}

}  // namespace

StageWindow* makeStageWindow() {
    auto* stage = new StageWindow{};
    stage->window = CreateWindowExA(0, stageClassName(), "Stage", WS_POPUP, 40, 30, 800, 600,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return stage;
}

void resizeStageWindow(StageWindow& window, int32_t width, int32_t height, bool readable) {
    if (window.window != nullptr && !window.borrowed) {
        SetWindowPos(window.window, nullptr, 40, 30, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    (void)readable;
}

void* stageWindowHandle(StageWindow& window) {
    return window.window;
}

void destroyStageWindow(StageWindow* window) {
    if (window != nullptr && window->window != nullptr && !window->borrowed) {
        DestroyWindow(window->window);
    }
    delete window;
}

// --- A borrowed stage: the record carries the caller's window, left as the caller made it.
void Host::setStageWindow(void* window) {
    destroyStageWindow(impl_->stage);
    impl_->stage = nullptr;
    if (window != nullptr) {
        impl_->stage = new StageWindow{static_cast<HWND>(window), true};
    }
}

}  // namespace sim
