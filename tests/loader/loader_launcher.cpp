// Starts the loader for the end-to-end tests, reports on it, and exits with its exit code.
//   loader_launcher LOADER.exe [--escape | --keys] [--watch-end] [--inactive] [--refuse-window]
//                   [--lose-close] [--watch] [--hidden]
//
//   (no key option)  prints "idle" once the loader first waits for input
//   --escape         presses Escape as soon as the loader's window is the foreground window, and
//                    prints "escape=pressed"; implies --watch
//   --keys           presses Space, Enter and A the same way, and prints "keys=pressed"
//   --watch-end      places the end-screen hook (test_hooks.cpp) into the loader
//   --inactive       keeps the loader from becoming the active application; after "idle" it
//                    waits for a line on its input, then lets the loader be activated, brings
//                    its window to the front and prints "activated"
//   --refuse-window  makes the creation of the loader's window fail
//   --lose-close     makes the first close request that the loader takes for its window vanish
//   --watch          puts the watch of test_hooks.cpp on the loader from inside
//   --hidden         starts the loader asked to be hidden (STARTF_USESHOWWINDOW, SW_HIDE), as a
//                    launcher, a script or a scheduled task may
//
// Starting further Wine programs while the loader is still enumerating the display modes can
// hang Wine 8, so the tests hold back their probes until the loader has settled; WaitForInputIdle
// tells when.
//
// The loader's window comes to the foreground during the display switch. The watch holds the
// loader in its first activation until the keys are pressed, so they wait in its queue before it
// could start the presentation program, however late this program gets to press them. The keys
// go through the system's keyboard input, as real ones do. Exit code 3 means the loader never
// became idle, or its window never came to the foreground, within 20 seconds. The exit code is
// also printed, as "exit=CODE", all 32 bits of it: Wine hands a program's exit code to the shell
// in its low byte only, where -1 and 255 look alike.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    const char* loader = nullptr;
    std::vector<WORD> keys;  // pressed once the loader is in front; none: report idle instead
    const char* pressedReport = nullptr;
    bool watchEnd = false;
    bool inactive = false;
    bool refuseWindow = false;
    bool loseClose = false;
    bool watch = false;
    bool hidden = false;
};

bool ReadOptions(int argc, char** argv, Options& options) {
    if (argc < 2) return false;
    options.loader = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--escape" && options.keys.empty()) {
            options.keys = {VK_ESCAPE};
            options.pressedReport = "escape=pressed";
        } else if (option == "--keys" && options.keys.empty()) {
            options.keys = {VK_SPACE, VK_RETURN, 'A'};
            options.pressedReport = "keys=pressed";
        } else if (option == "--watch-end") {
            options.watchEnd = true;
        } else if (option == "--inactive") {
            options.inactive = true;
        } else if (option == "--refuse-window") {
            options.refuseWindow = true;
        } else if (option == "--lose-close") {
            options.loseClose = true;
        } else if (option == "--watch") {
            options.watch = true;
        } else if (option == "--hidden") {
            options.hidden = true;
        } else {
            return false;
        }
    }
    return true;
}

// Places a hook of test_hooks.dll, which lies beside this program, for every thread of the
// session; it stays in place as long as this program runs.
bool PlaceHook(int kind, const char* name) {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return false;
    char* slash = std::strrchr(path, '\\');
    if (slash == nullptr) return false;
    std::strcpy(slash + 1, "loader_test_hooks.dll");
    HMODULE hooks = LoadLibraryA(path);
    if (hooks == nullptr) {
        std::fprintf(stderr, "cannot load %s: error %lu\n", path, GetLastError());
        return false;
    }
    auto procedure =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hooks, name)));
    if (procedure == nullptr || SetWindowsHookExA(kind, procedure, hooks, 0) == nullptr) {
        std::fprintf(stderr, "cannot place hook %s: error %lu\n", name, GetLastError());
        return false;
    }
    return true;
}

void PressKeys(const std::vector<WORD>& keys) {
    for (WORD key : keys) {
        INPUT presses[2] = {};
        presses[0].type = INPUT_KEYBOARD;
        presses[0].ki.wVk = key;
        presses[1] = presses[0];
        presses[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, presses, sizeof(INPUT));
    }
}

bool PressKeysWhenInFront(HANDLE loader, const Options& options, HANDLE keysPressed) {
    for (int waited = 0; waited < 20000; ++waited) {
        HWND window = FindWindowA("demo", "Loader");
        if (window != nullptr && GetForegroundWindow() == window) {
            PressKeys(options.keys);
            SetEvent(keysPressed);
            std::printf("%s\n", options.pressedReport);
            return true;
        }
        if (WaitForSingleObject(loader, 1) == WAIT_OBJECT_0) break;
    }
    std::printf("keys=never-in-front\n");
    return false;
}

bool ReportIdle(HANDLE loader) {
    const bool idle = WaitForInputIdle(loader, 20000) == 0;
    std::printf(idle ? "idle\n" : "never-idle\n");
    std::fflush(stdout);
    return idle;
}

void ActivateOnRequest(HANDLE heldActivation) {
    char line[16];
    if (std::fgets(line, sizeof(line), stdin) == nullptr) return;
    SetEvent(heldActivation);
    HWND window = FindWindowA("demo", "Loader");
    if (window != nullptr) SetForegroundWindow(window);
    std::printf("activated\n");
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: loader_launcher LOADER.exe [--escape | --keys] [--watch-end] "
                     "[--inactive] [--refuse-window] [--lose-close] [--watch] [--hidden]\n");
        return 2;
    }
    // Made before the hooks, so the gate finds it held from the first activation on.
    HANDLE heldActivation =
        options.inactive ? CreateEventA(nullptr, TRUE, FALSE, "Orvanta.LoaderTest.HoldActivation")
                         : nullptr;
    // Set once the keys are pressed; the watch holds the loader's first activation until then.
    HANDLE keysPressed = options.keys.empty()
                             ? nullptr
                             : CreateEventA(nullptr, TRUE, FALSE, "Orvanta.LoaderTest.KeysPressed");
    options.watch |= !options.keys.empty();
    if ((options.watchEnd && !PlaceHook(WH_GETMESSAGE, "EndScreenHook")) ||
        (options.inactive && !PlaceHook(WH_CBT, "ActivationGate")) ||
        (options.refuseWindow && !PlaceHook(WH_CBT, "WindowRefusal")) ||
        (options.loseClose && !PlaceHook(WH_GETMESSAGE, "CloseLoss")) ||
        (options.watch && !PlaceHook(WH_CBT, "LoaderWatch"))) {
        return 2;
    }

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (options.hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(options.loader, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot start %s: error %lu\n", options.loader, GetLastError());
        return 2;
    }
    CloseHandle(process.hThread);

    const bool reported = options.keys.empty()
                              ? ReportIdle(process.hProcess)
                              : PressKeysWhenInFront(process.hProcess, options, keysPressed);
    if (reported && options.inactive) ActivateOnRequest(heldActivation);
    std::fflush(stdout);

    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    const int code = reported ? static_cast<int>(exitCode) : 3;
    std::printf("exit=%d\n", code);
    return code;
}
