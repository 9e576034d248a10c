// projector.exe, the demo presentation: a full-screen 800 by 600 window in which a virtual
// camera, the Orvanta object of SCRIPT.x32, flies over a small wireframe scene. The program
// plays the Director host with the simulated host library; the plug-in is loaded from the
// Xtras folder beside the program, as the host loads its Xtras.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "demo/back_buffer.h"
#include "demo/capture.h"
#include "demo/key_bindings.h"
#include "demo/options.h"
#include "demo/presentation.h"
#include "demo/script_client.h"
#include "demo/workbench.h"

namespace {

constexpr double FadeSeconds = 1.0;  // a bounded run fades to black at its end

struct Running {
    demo::Presentation* presentation = nullptr;
    demo::BackBuffer* buffer = nullptr;
    demo::Workbench* workbench = nullptr;
};
Running running;

std::string environmentVariable(const char* name) {
    char value[1024];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

// The folder this program was started from, with its trailing backslash.
std::string ownFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".\\") : folder.substr(0, slash + 1);
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (running.buffer != nullptr) {
                running.buffer->present(dc);
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;  // every pixel is painted from the back buffer
        case WM_KEYDOWN: {
            const unsigned key = static_cast<unsigned>(wParam);
            const demo::KeyBinding* binding = demo::bindingOf(key);
            if (binding != nullptr && binding->command == demo::Command::End) {
                DestroyWindow(window);
                return 0;
            }
            if (running.workbench != nullptr &&
                running.workbench->keyDown(key, GetKeyState(VK_SHIFT) < 0)) {
                return 0;
            }
            break;
        }
        case WM_KEYUP:
            if (running.workbench != nullptr) {
                running.workbench->keyUp(static_cast<unsigned>(wParam));
            }
            break;
        case WM_MOUSEMOVE:
            if (running.workbench != nullptr) {
                running.workbench->mouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            }
            return 0;
        case WM_RBUTTONDOWN:
            if (running.workbench != nullptr) {
                SetCapture(window);  // the turn goes on when the mouse leaves the stage
                running.workbench->turnStart(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            }
            return 0;
        case WM_RBUTTONUP:
            if (running.workbench != nullptr) {
                ReleaseCapture();
                running.workbench->turnEnd();
            }
            return 0;
        case WM_MOUSEWHEEL:
            if (running.workbench != nullptr) {
                running.workbench->wheel(GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA);
            }
            return 0;
        case WM_LBUTTONDOWN:
            if (running.presentation != nullptr) {
                running.presentation->drop(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createStage(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = "OrvantaProjector";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "OrvantaProjector", "Orvanta", WS_POPUP | WS_VISIBLE, 0, 0,
                           demo::StageWidth, demo::StageHeight, nullptr, nullptr, instance,
                           nullptr);
}

void show(HWND window, const demo::BackBuffer& buffer) {
    HDC dc = GetDC(window);
    buffer.present(dc);
    ReleaseDC(window, dc);
    GdiFlush();
}

// A failure before the presentation could start: told in a message box when someone watches,
// in the capture folder when the run is unattended.
int fail(HWND window, const demo::Options& options, const demo::Capture& capture,
         const std::string& reason) {
    capture.announce("error", reason + "\n");
    if (options.seconds <= 0.0 && !capture.on()) {
        MessageBoxA(window, reason.c_str(), "Orvanta", MB_OK | MB_ICONERROR);
    }
    if (window != nullptr) {
        DestroyWindow(window);
    }
    capture.announce("exit", "exit code 1\n");
    return 1;
}

// Seconds since `start` by the performance counter.
double secondsSince(const LARGE_INTEGER& start, const LARGE_INTEGER& frequency) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const demo::Options options =
        demo::readOptions(commandLine != nullptr ? commandLine : "", environmentVariable);
    const demo::Capture capture(options.captureFolder);
    if (!options.problem.empty()) {
        return fail(nullptr, options, capture, options.problem);
    }
    // Before any window or message call: the loader keeps its splash up until this program
    // first waits for input, which gives a recorder time to take it.
    capture.announce("splash", "waiting\n");
    capture.waitFor("splash", false);

    HWND window = createStage(instance);
    if (window == nullptr) {
        return fail(nullptr, options, capture, "cannot create the stage window");
    }
    demo::ScriptClient camera;
    std::string reason;
    if (!camera.open(ownFolder() + "Xtras\\SCRIPT.x32", window, &reason)) {
        return fail(window, options, capture, "cannot start the camera: " + reason);
    }
    demo::Presentation presentation(camera);
    if (!presentation.setUpCamera()) {
        return fail(window, options, capture,
                    "the camera refused its set-up: " + camera.lastError());
    }
    demo::BackBuffer buffer(window, demo::StageWidth, demo::StageHeight);
    demo::Workbench workbench(camera, presentation);
    running = {&presentation, &buffer, &workbench};
    SetForegroundWindow(window);

    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    double paused = 0.0;  // time spent waiting for the recorder, not part of the show
    size_t nextFrame = 0;
    unsigned nextSnap = 1;
    long long framesDrawn = 0;
    bool quit = false;
    while (!quit) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (quit) {
            break;
        }
        // The run's clock, and the flight's time, which stands still while a person holds the
        // camera.
        double clock = secondsSince(start, frequency) - paused;
        workbench.tick(clock);
        double time = workbench.lapTime(clock);
        const bool bounded = options.seconds > 0.0;
        if (bounded && time >= options.seconds + FadeSeconds) {
            break;
        }
        // A capture moment is shown exactly, whenever the flight's time passes it.
        const bool captureFrame = capture.on() && !workbench.holding() &&
                                  nextFrame < options.frames.size() &&
                                  time >= options.frames[nextFrame];
        if (captureFrame) {
            clock += options.frames[nextFrame] - time;
            time = options.frames[nextFrame];
        }
        const double showTime = bounded ? std::min(time, options.seconds) : time;
        const double fade =
            bounded ? std::clamp((options.seconds + FadeSeconds - time) / FadeSeconds, 0.0, 1.0)
                    : 1.0;
        if (!workbench.holding()) {
            presentation.moveCamera(showTime);
            workbench.afterFlight(showTime);
        }
        presentation.drawScene(
            buffer, showTime, fade,
            workbench.holding() ? workbench.caption() : presentation.caption(showTime));
        workbench.drawOverlays(buffer);
        presentation.drawBeacons(buffer, fade);
        show(window, buffer);
        framesDrawn += 1;
        char name[16];
        std::snprintf(name, sizeof name, "snap-%02u", nextSnap);
        const bool snapFrame = capture.requested(name);
        if (captureFrame || snapFrame) {
            if (captureFrame) {
                std::snprintf(name, sizeof name, "frame-%02u",
                              static_cast<unsigned>(nextFrame + 1));
                nextFrame += 1;
                capture.announce(name, presentation.report(showTime));
            } else {
                nextSnap += 1;
                capture.announce(name, presentation.report(showTime, workbench.checkedPoints()) +
                                           workbench.report());
            }
            capture.waitFor(name, true);
            // The show goes on from the captured moment: the wait is not show time.
            paused = secondsSince(start, frequency) - clock;
        } else {
            // About 60 frames a second, waking at once for input.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
        }
    }

    if (!quit && capture.on()) {
        buffer.clear({0, 0, 0});
        show(window, buffer);
        capture.announce("black", camera.lastError().empty()
                                      ? "error none\n"
                                      : "error " + camera.lastError() + "\n");
        capture.waitFor("black", true);
    }
    running = {};
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
    const double showSeconds = secondsSince(start, frequency) - paused;
    camera.close();
    char summary[96];
    std::snprintf(summary, sizeof summary, "exit code 0\nframes %lld in %.1f s of show\n",
                  framesDrawn, showSeconds);
    capture.announce("exit", summary);
    return 0;
}
