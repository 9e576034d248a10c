// Hooks that the end-to-end tests place into the loader's process through loader_launcher, to
// see and arrange what cannot be reached from outside. Built only for the tests; the loader
// knows nothing of them. Each acts only on the loader's window (class "demo", title "Loader")
// and leaves every other window of the session alone.
//
//   EndScreenHook     (WH_GETMESSAGE) when the loader takes a WM_CLOSE for its window from the
//                     queue, writes what the window shows to end_screen.txt in the current
//                     directory, then, when LOADER_TEST_END_HOLD_UNTIL names a file, holds the
//                     loader until the test has made that file (at most two minutes), so that a
//                     screenshot can be taken before the window goes.
//   ActivationGate    (WH_CBT) refuses to activate the loader's window while the event
//                     "Orvanta.LoaderTest.HoldActivation" exists and is not set: the loader is
//                     then not the active application, as when the user keeps another one in
//                     front.
//   WindowRefusal     (WH_CBT) refuses to create the loader's window, and notes it in
//                     window_refused.txt.
//   CloseLoss         (WH_GETMESSAGE) turns the first WM_CLOSE that the loader takes for its
//                     window into WM_NULL, as if the close had never been posted, and notes it
//                     in close_lost.txt.
//   LoaderWatch       (WH_CBT) when the loader's window is created, puts a watch on the loader
//                     from inside. Its window procedure is wrapped: after each WM_PAINT,
//                     paints.txt counts the paints and those after which the wait cursor was
//                     set; what the loader learns from WM_ACTIVATEAPP is followed; and when
//                     LOADER_TEST_QUIT_IN_SWITCH holds a number, the first style change of the
//                     window, which only the display switch makes, posts WM_QUIT with it as
//                     wParam to the loader's thread, as another program might, and notes it in
//                     quit_in_switch.txt; the first WM_ACTIVATEAPP that makes the loader active
//                     waits for the launcher's key presses (HoldForKeys). Two imports are
//                     replaced. CreateProcessA first writes
//                     the arguments it is given to presentation_start.txt. WaitMessage first
//                     writes waits.txt: how often the loader has gone to wait for messages,
//                     whether it was then the active application, and whether the close had
//                     been lost by then; a loader that waits for messages has found its queue
//                     empty and chosen not to start the presentation program.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Shared by the hooks, which live in one copy of this library inside the loader's process.
bool closeLost = false;

bool IsLoaderWindow(HWND window) {
    char className[16] = "";
    return window != nullptr && GetClassNameA(window, className, sizeof(className)) &&
           std::strcmp(className, "demo") == 0;
}

// Returns once the file named by the environment variable exists, or at once without one.
void AwaitFileNamedIn(const char* variable) {
    char name[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA(variable, name, sizeof(name));
    if (length == 0 || length >= sizeof(name)) return;
    for (DWORD waited = 0; GetFileAttributesA(name) == INVALID_FILE_ATTRIBUTES && waited < 120000;
         waited += 20) {
        Sleep(20);
    }
}

// Copies the window's client area as the window's own device context holds it and counts the
// pixels that are not black.
void RecordEndScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    RECT onScreen{};
    GetWindowRect(window, &onScreen);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;

    long nonBlack = -1;
    if (width > 0 && height > 0) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HDC windowDc = GetDC(window);
        HDC memory = CreateCompatibleDC(windowDc);
        HBITMAP copy = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (copy != nullptr && bits != nullptr) {
            HGDIOBJ old = SelectObject(memory, copy);
            BitBlt(memory, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
            GdiFlush();
            nonBlack = 0;
            const DWORD* pixel = static_cast<const DWORD*>(bits);
            for (long i = 0; i < static_cast<long>(width) * height; ++i) {
                if ((pixel[i] & 0xFFFFFF) != 0) ++nonBlack;
            }
            SelectObject(memory, old);
            DeleteObject(copy);
        }
        DeleteDC(memory);
        ReleaseDC(window, windowDc);
    }

    if (std::FILE* out = std::fopen("end_screen.txt", "w")) {
        std::fprintf(out, "visible=%d rect=%ld,%ld,%ld,%ld client=%dx%d nonblack=%ld\n",
                     IsWindowVisible(window) ? 1 : 0, onScreen.left, onScreen.top, onScreen.right,
                     onScreen.bottom, width, height, nonBlack);
        std::fclose(out);
    }
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    EndScreenHook(int code, WPARAM removed, LPARAM lParam) {
    static bool recorded = false;
    const MSG* message = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && !recorded && message->message == WM_CLOSE &&
        IsLoaderWindow(message->hwnd)) {
        recorded = true;
        // Under Wine what a thread has painted reaches the display when the thread next waits:
        // a wait of no length, which handles no message, puts the end screen there first.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, 0);
        RecordEndScreen(message->hwnd);
        AwaitFileNamedIn("LOADER_TEST_END_HOLD_UNTIL");
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ActivationGate(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && IsLoaderWindow(reinterpret_cast<HWND>(wParam))) {
        HANDLE hold = OpenEventA(SYNCHRONIZE, FALSE, "Orvanta.LoaderTest.HoldActivation");
        if (hold != nullptr) {
            const bool held = WaitForSingleObject(hold, 0) == WAIT_TIMEOUT;
            CloseHandle(hold);
            if (held) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    WindowRefusal(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && IsLoaderWindow(reinterpret_cast<HWND>(wParam))) {
        if (std::FILE* out = std::fopen("window_refused.txt", "w")) {
            std::fprintf(out, "refused\n");
            std::fclose(out);
        }
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK
    CloseLoss(int code, WPARAM removed, LPARAM lParam) {
    static bool lost = false;
    MSG* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && removed == PM_REMOVE && !lost && message->message == WM_CLOSE &&
        IsLoaderWindow(message->hwnd)) {
        lost = true;
        closeLost = true;
        message->message = WM_NULL;
        if (std::FILE* out = std::fopen("close_lost.txt", "w")) {
            std::fprintf(out, "close=lost\n");
            std::fclose(out);
        }
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

namespace {

using CreateProcessCall = BOOL(WINAPI*)(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                        BOOL, DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA,
                                        LPPROCESS_INFORMATION);

WNDPROC loaderProcedure;
bool loaderActive;  // as the loader's window procedure last learnt it from WM_ACTIVATEAPP
int paints;
int paintsLeavingWaitCursor;
int messageWaits;
BOOL(WINAPI* systemWaitMessage)();
CreateProcessCall systemCreateProcess;

void PostQuitInSwitch() {
    static bool posted = false;
    char code[16];
    const DWORD length = GetEnvironmentVariableA("LOADER_TEST_QUIT_IN_SWITCH", code, sizeof(code));
    if (posted || length == 0 || length >= sizeof(code)) return;
    posted = true;
    const WPARAM quitCode = std::strtoul(code, nullptr, 10);
    if (PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, quitCode, 0)) {
        if (std::FILE* out = std::fopen("quit_in_switch.txt", "w")) {
            std::fprintf(out, "quit=%lu\n", static_cast<unsigned long>(quitCode));
            std::fclose(out);
        }
    }
}

// While a launcher is about to press keys (it holds the event "Orvanta.LoaderTest.KeysPressed"
// unset until it has), the loader's first activation waits for them, at most 20 s: they are then
// in its queue before it could start anything.
void HoldForKeys() {
    static bool held = false;
    if (held) return;
    held = true;
    HANDLE pressed = OpenEventA(SYNCHRONIZE, FALSE, "Orvanta.LoaderTest.KeysPressed");
    if (pressed == nullptr) return;
    WaitForSingleObject(pressed, 20000);
    CloseHandle(pressed);
}

LRESULT CALLBACK WatchedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_STYLECHANGED) PostQuitInSwitch();
    if (message == WM_ACTIVATEAPP && wParam != 0) HoldForKeys();
    const LRESULT result = CallWindowProcA(loaderProcedure, window, message, wParam, lParam);
    if (message == WM_ACTIVATEAPP) loaderActive = wParam != 0;
    if (message == WM_PAINT) {
        ++paints;
        if (GetCursor() == LoadCursorA(nullptr, IDC_WAIT)) ++paintsLeavingWaitCursor;
        if (std::FILE* out = std::fopen("paints.txt", "w")) {
            std::fprintf(out, "paints=%d wait_cursor_after=%d\n", paints, paintsLeavingWaitCursor);
            std::fclose(out);
        }
    }
    return result;
}

BOOL WINAPI WatchedCreateProcess(LPCSTR application, LPSTR commandLine,
                                 LPSECURITY_ATTRIBUTES processSecurity,
                                 LPSECURITY_ATTRIBUTES threadSecurity, BOOL inherit, DWORD flags,
                                 LPVOID environment, LPCSTR directory, LPSTARTUPINFOA startup,
                                 LPPROCESS_INFORMATION process) {
    // The bytes of the start-up record after its size field that are not zero.
    int otherBytes = 0;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(startup);
    for (size_t i = sizeof(startup->cb); startup != nullptr && i < sizeof(STARTUPINFOA); ++i) {
        otherBytes += bytes[i] != 0;
    }
    if (std::FILE* out = std::fopen("presentation_start.txt", "w")) {
        std::fprintf(out,
                     "application=%s command=%s security=%d inherit=%d flags=%#lx "
                     "environment=%d directory=%d startup_size=%lu startup_other_bytes=%d\n",
                     application != nullptr ? application : "(null)",
                     commandLine != nullptr ? commandLine : "(null)",
                     processSecurity != nullptr || threadSecurity != nullptr ? 1 : 0,
                     inherit ? 1 : 0, static_cast<unsigned long>(flags),
                     environment != nullptr ? 1 : 0, directory != nullptr ? 1 : 0,
                     startup != nullptr ? static_cast<unsigned long>(startup->cb) : 0, otherBytes);
        std::fclose(out);
    }
    return systemCreateProcess(application, commandLine, processSecurity, threadSecurity, inherit,
                               flags, environment, directory, startup, process);
}

BOOL WINAPI WatchedWaitMessage() {
    ++messageWaits;
    if (std::FILE* out = std::fopen("waits.txt", "w")) {
        std::fprintf(out, "waits=%d active=%d after_lost_close=%d\n", messageWaits,
                     loaderActive ? 1 : 0, closeLost ? 1 : 0);
        std::fclose(out);
    }
    return systemWaitMessage();
}

// Points the program's import of `function` from `library` at `replacement`; returns what it
// pointed at before, or null when the program does not import it by name.
void* ReplaceImport(const char* library, const char* function, void* replacement) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* from =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.VirtualAddress != 0 && from->Name != 0; ++from) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + from->Name), library) != 0) continue;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + from->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + from->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* named =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE,
                           &protection);
            void* before = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection,
                           &protection);
            return before;
        }
    }
    return nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    LoaderWatch(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && loaderProcedure == nullptr && IsLoaderWindow(window)) {
        loaderProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchedProcedure)));
        systemWaitMessage = reinterpret_cast<BOOL(WINAPI*)()>(ReplaceImport(
            "user32.dll", "WaitMessage", reinterpret_cast<void*>(WatchedWaitMessage)));
        systemCreateProcess = reinterpret_cast<CreateProcessCall>(ReplaceImport(
            "kernel32.dll", "CreateProcessA", reinterpret_cast<void*>(WatchedCreateProcess)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
