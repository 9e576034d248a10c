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

// The show's clock: seconds by the performance counter since the show began, less the time spent
// waiting for a recorder, which is not part of the show.
class ShowClock {
  public:
    ShowClock() {
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    double now() const { return sinceStart() - paused_; }
    // After a wait: the show goes on from `clock`, the moment it stood at.
    void resumeAt(double clock) { paused_ = sinceStart() - clock; }

  private:
    double sinceStart() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) /
               static_cast<double>(frequency_.QuadPart);
    }
    LARGE_INTEGER frequency_;
    LARGE_INTEGER start_;
    double paused_ = 0.0;
};

// False once the window's thread has been told to quit.
bool dispatchWaitingMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

// The presentation once it is set up: frame after frame until the window closes or a bounded
// run has faded out.
class Show {
  public:
    Show(const demo::Options& options, const demo::Capture& capture, HWND window,
         demo::ScriptClient& camera, demo::Presentation& presentation, demo::BackBuffer& buffer,
         demo::Workbench& workbench)
        : options_(options),
          capture_(capture),
          window_(window),
          camera_(camera),
          presentation_(presentation),
          buffer_(buffer),
          workbench_(workbench) {}

    // True when the window was closed, false when a bounded run came to its end.
    bool run() {
        while (dispatchWaitingMessages()) {
            if (!frame()) {
                return false;
            }
        }
        return true;
    }

    // A recorded run ends on a black stage, with the camera's last error told.
    void showBlack() {
        buffer_.clear({0, 0, 0});
        show(window_, buffer_);
        capture_.announce("black", camera_.lastError().empty()
                                       ? "error none\n"
                                       : "error " + camera_.lastError() + "\n");
        capture_.waitFor("black", true);
    }

    double seconds() const { return clock_.now(); }

    void announceExit(double showSeconds) const {
        char summary[96];
        std::snprintf(summary, sizeof summary, "exit code 0\nframes %lld in %.1f s of show\n",
                      framesDrawn_, showSeconds);
        capture_.announce("exit", summary);
    }

  private:
    bool bounded() const { return options_.seconds > 0.0; }

    // One frame; false when a bounded run is over.
    bool frame() {
        // The run's clock, and the flight's time, which stands still while a person holds the
        // camera.
        double clock = clock_.now();
        workbench_.tick(clock);
        double time = workbench_.lapTime(clock);
        if (bounded() && time >= options_.seconds + FadeSeconds) {
            return false;
        }
        // A capture moment is shown exactly, whenever the flight's time passes it.
        const bool captureFrame = capture_.on() && !workbench_.holding() &&
                                  nextFrame_ < options_.frames.size() &&
                                  time >= options_.frames[nextFrame_];
        if (captureFrame) {
            clock += options_.frames[nextFrame_] - time;
            time = options_.frames[nextFrame_];
        }
        draw(time);
        if (!announceCapture(captureFrame, time)) {
            // About 60 frames a second, waking at once for input.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 15, QS_ALLINPUT);
            return true;
        }
        clock_.resumeAt(clock);
        return true;
    }

    // The scene at flight time `time`, held at the end of a bounded run while it fades.
    void draw(double time) {
        const double showTime = shownTime(time);
        const double fade =
            bounded() ? std::clamp((options_.seconds + FadeSeconds - time) / FadeSeconds, 0.0, 1.0)
                      : 1.0;
        if (!workbench_.holding()) {
            presentation_.moveCamera(showTime);
            workbench_.afterFlight(showTime);
        }
        presentation_.drawScene(
            buffer_, showTime, fade,
            workbench_.holding() ? workbench_.caption() : presentation_.caption(showTime));
        workbench_.drawOverlays(buffer_);
        presentation_.drawBeacons(buffer_, fade);
        show(window_, buffer_);
        framesDrawn_ += 1;
    }

    double shownTime(double time) const {
        return bounded() ? std::min(time, options_.seconds) : time;
    }

    // Tells the recorder of a capture moment or of a snapshot it asked for, and waits until it
    // has taken the picture; false when there was neither.
    bool announceCapture(bool captureFrame, double time) {
        char name[16];
        std::snprintf(name, sizeof name, "snap-%02u", nextSnap_);
        const bool snapFrame = capture_.requested(name);
        if (!captureFrame && !snapFrame) {
            return false;
        }
        const double showTime = shownTime(time);
        if (captureFrame) {
            std::snprintf(name, sizeof name, "frame-%02u", static_cast<unsigned>(nextFrame_ + 1));
            nextFrame_ += 1;
            capture_.announce(name, presentation_.report(showTime));
        } else {
            nextSnap_ += 1;
            capture_.announce(name, presentation_.report(showTime, workbench_.checkedPoints()) +
                                        workbench_.report());
        }
        capture_.waitFor(name, true);
        return true;
    }

    const demo::Options& options_;
    const demo::Capture& capture_;
    HWND window_;
    demo::ScriptClient& camera_;
    demo::Presentation& presentation_;
    demo::BackBuffer& buffer_;
    demo::Workbench& workbench_;
    ShowClock clock_;
    size_t nextFrame_ = 0;
    unsigned nextSnap_ = 1;
    long long framesDrawn_ = 0;
};

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

    Show playing(options, capture, window, camera, presentation, buffer, workbench);
    const bool closed = playing.run();
    if (!closed && capture.on()) {
        playing.showBlack();
    }
    running = {};
    if (IsWindow(window)) {
        DestroyWindow(window);
    }
    const double showSeconds = playing.seconds();
    camera.close();
    playing.announceExit(showSeconds);
    return 0;
}
