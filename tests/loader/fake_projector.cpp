// Stands in for the presentation program in the loader's end-to-end tests.
//
// Appends "start", "ready" (about to wait for input) and "end" lines to projector_starts.txt in
// the current directory, so a test can count the starts and follow the run.
// PROJECTOR_IDLE_DELAY_MS (default 0) keeps it busy before it first looks at its message queue,
// which holds the loader's WaitForInputIdle; PROJECTOR_RUN_MS (default 500) is how long its
// window stays up afterwards. With PROJECTOR_POST_QUIT set to a number, it ends by posting
// WM_QUIT with that wParam to the loader's thread, as a foreign program might, and records
// "quit-posted" when the post went through.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

void Record(const char* event) {
    if (std::FILE* log = std::fopen("projector_starts.txt", "a")) {
        std::fprintf(log, "%s %lu %lu\n", event, GetCurrentProcessId(), GetTickCount());
        std::fclose(log);
    }
}

DWORD Milliseconds(const char* name, DWORD fallback) {
    char text[32];
    const DWORD length = GetEnvironmentVariableA(name, text, sizeof(text));
    if (length == 0 || length >= sizeof(text)) return fallback;
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

void PostQuitToLoader(const char* code) {
    // The loader's thread is found by its window (class "demo", title "Loader").
    HWND loader = FindWindowA("demo", "Loader");
    const DWORD thread = loader != nullptr ? GetWindowThreadProcessId(loader, nullptr) : 0;
    if (thread != 0 && PostThreadMessageA(thread, WM_QUIT, std::strtoul(code, nullptr, 10), 0)) {
        Record("quit-posted");
    }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER || message == WM_DESTROY) {
        char code[16];
        const DWORD length = GetEnvironmentVariableA("PROJECTOR_POST_QUIT", code, sizeof(code));
        if (message == WM_TIMER && length > 0 && length < sizeof(code)) PostQuitToLoader(code);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    Record("start");
    Sleep(Milliseconds("PROJECTOR_IDLE_DELAY_MS", 0));

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "fake_projector";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "fake_projector", "Fake presentation", WS_POPUP | WS_VISIBLE,
                                  0, 0, 320, 240, nullptr, nullptr, instance, nullptr);
    SetTimer(window, 1, Milliseconds("PROJECTOR_RUN_MS", 500), nullptr);

    Record("ready");
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    Record("end");
    return 0;
}
