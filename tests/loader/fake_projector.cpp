// Stands in for the presentation program in the loader's end-to-end tests.
//
// Appends "start", "ready" (about to wait for input) and "end" lines to projector_starts.txt in
// the current directory, so a test can count the starts and follow the run. A test holds it at
// two points by naming a file that it creates when the stand-in may go on:
//   PROJECTOR_READY_WHEN  keeps it busy before it first looks at its message queue, which holds
//                         the loader's WaitForInputIdle, until the file exists;
//   PROJECTOR_END_WHEN    keeps its window up until the file exists.
// A file that never comes releases it after two minutes. Without PROJECTOR_END_WHEN its window
// stays up for PROJECTOR_RUN_MS (default 500). With PROJECTOR_POST_QUIT set to a number, it ends
// by posting WM_QUIT with that wParam to the loader's thread, as a foreign program might, and
// records "quit-posted" when the post went through. With PROJECTOR_SEND_TO_LOADER set, it sends
// the loader's window WM_NULL with a 3 s time-out while the loader waits for it to be ready and
// posts it an Escape, then, once the loader has hidden, sends WM_NULL, WM_CLOSE and WM_DESTROY;
// it records "sent-loading" and "sent-hidden" with the milliseconds each answer took (-1: none).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr DWORD kFileWaitMs = 120000;
constexpr DWORD kPollMs = 20;
constexpr UINT_PTR kRunTimer = 1;
constexpr UINT_PTR kEndFileTimer = 2;
constexpr UINT_PTR kSendTimer = 3;
constexpr UINT kSendTimeoutMs = 3000;

std::string endFile;

void Record(const char* event) {
    if (std::FILE* log = std::fopen("projector_starts.txt", "a")) {
        std::fprintf(log, "%s %lu %lu\n", event, GetCurrentProcessId(), GetTickCount());
        std::fclose(log);
    }
}

std::string Environment(const char* name) {
    char text[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof(text));
    return length > 0 && length < sizeof(text) ? text : "";
}

bool FileExists(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void PostQuitToLoader(const std::string& code) {
    // The loader's thread is found by its window (class "demo", title "Loader").
    HWND loader = FindWindowA("demo", "Loader");
    const DWORD thread = loader != nullptr ? GetWindowThreadProcessId(loader, nullptr) : 0;
    if (thread != 0 &&
        PostThreadMessageA(thread, WM_QUIT, std::strtoul(code.c_str(), nullptr, 10), 0)) {
        Record("quit-posted");
    }
}

// Milliseconds until the loader's window answered the message, or -1 when it did not in time.
long SendTimed(HWND loader, UINT message) {
    DWORD_PTR result = 0;
    const DWORD started = GetTickCount();
    if (loader == nullptr ||
        !SendMessageTimeoutA(loader, message, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<long>(GetTickCount() - started);
}

void SendToLoader(bool loading) {
    HWND loader = FindWindowA("demo", "Loader");
    const int visible = loader != nullptr && IsWindowVisible(loader);
    const long ms = SendTimed(loader, WM_NULL);
    char line[160];
    if (loading) {
        const int posted = loader != nullptr && PostMessageA(loader, WM_KEYDOWN, VK_ESCAPE, 0);
        std::snprintf(line, sizeof(line), "sent-loading ms=%ld visible=%d escape=%d", ms, visible,
                      posted);
    } else {
        const long close = SendTimed(loader, WM_CLOSE);
        std::snprintf(line, sizeof(line), "sent-hidden ms=%ld visible=%d close=%ld destroy=%ld", ms,
                      visible, close, SendTimed(loader, WM_DESTROY));
    }
    Record(line);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static DWORD waited = 0;
    if (message == WM_TIMER && wParam == kSendTimer) {
        HWND loader = FindWindowA("demo", "Loader");
        if (loader == nullptr || !IsWindowVisible(loader)) {
            KillTimer(window, kSendTimer);
            SendToLoader(false);
        }
        return 0;
    }
    if (message == WM_TIMER && wParam == kEndFileTimer) {
        waited += kPollMs;
        if (!FileExists(endFile) && waited < kFileWaitMs) return 0;
    }
    if (message == WM_TIMER || message == WM_DESTROY) {
        const std::string quitCode = Environment("PROJECTOR_POST_QUIT");
        if (message == WM_TIMER && !quitCode.empty()) PostQuitToLoader(quitCode);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Record("start");
    const std::string readyFile = Environment("PROJECTOR_READY_WHEN");
    for (DWORD waited = 0; !readyFile.empty() && !FileExists(readyFile) && waited < kFileWaitMs;
         waited += kPollMs) {
        Sleep(kPollMs);
    }
    const bool sendToLoader = !Environment("PROJECTOR_SEND_TO_LOADER").empty();
    if (sendToLoader) SendToLoader(true);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "fake_projector";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "fake_projector", "Fake presentation", WS_POPUP | WS_VISIBLE,
                                  0, 0, 320, 240, nullptr, nullptr, instance, nullptr);
    endFile = Environment("PROJECTOR_END_WHEN");
    if (endFile.empty()) {
        const std::string runMs = Environment("PROJECTOR_RUN_MS");
        SetTimer(window, kRunTimer, runMs.empty() ? 500 : std::strtoul(runMs.c_str(), nullptr, 10),
                 nullptr);
    } else {
        SetTimer(window, kEndFileTimer, kPollMs, nullptr);
    }
    if (sendToLoader) SetTimer(window, kSendTimer, kPollMs, nullptr);

    Record("ready");
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    Record("end");
    return 0;
}
