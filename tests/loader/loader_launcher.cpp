// Starts the loader for the end-to-end tests, reports on it, and exits with its exit code.
//   loader_launcher LOADER.exe           prints "idle" once the loader first waits for input
//   loader_launcher LOADER.exe --escape  presses Escape as soon as the loader's window is the
//                                        foreground window, and prints "escape=pressed"
//
// Starting further Wine programs while the loader is still enumerating the display modes can
// hang Wine 8, so the tests hold back their probes until the loader has settled; WaitForInputIdle
// tells when.
//
// The loader's window comes to the foreground during the display switch, and from then on the
// loader handles its queue for at least 100 ms (the pause in the switch) before the presentation
// program can be started, so the key press lands in that span with a wide margin. The key goes
// through the system's keyboard input, as a real one does. Exit code 3 means the loader never
// became idle, or its window never came to the foreground, within 20 seconds.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

void PressKey(WORD key) {
    INPUT presses[2] = {};
    presses[0].type = INPUT_KEYBOARD;
    presses[0].ki.wVk = key;
    presses[1] = presses[0];
    presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, presses, sizeof(INPUT));
}

bool PressEscapeWhenInFront(HANDLE loader) {
    for (int waited = 0; waited < 20000; ++waited) {
        HWND window = FindWindowA("demo", "Loader");
        if (window != nullptr && GetForegroundWindow() == window) {
            PressKey(VK_ESCAPE);
            std::printf("escape=pressed\n");
            return true;
        }
        if (WaitForSingleObject(loader, 1) == WAIT_OBJECT_0) break;
    }
    std::printf("escape=never-in-front\n");
    return false;
}

bool ReportIdle(HANDLE loader) {
    const bool idle = WaitForInputIdle(loader, 20000) == 0;
    std::printf(idle ? "idle\n" : "never-idle\n");
    return idle;
}

}  // namespace

int main(int argc, char** argv) {
    const bool escape = argc == 3 && std::strcmp(argv[2], "--escape") == 0;
    if (argc != 2 && !escape) {
        std::fprintf(stderr, "usage: loader_launcher LOADER.exe [--escape]\n");
        return 2;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", argv[1], GetLastError());
        return 2;
    }
    CloseHandle(process.hThread);

    const bool reported =
        escape ? PressEscapeWhenInFront(process.hProcess) : ReportIdle(process.hProcess);
    std::fflush(stdout);

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    return reported ? static_cast<int>(exitCode) : 3;
}
