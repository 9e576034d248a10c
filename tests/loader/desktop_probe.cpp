// Reports on the Wine desktop for the loader's end-to-end tests; run beside the loader in the
// same Wine session. Prints one line of key=value pairs:
//   desktop_probe mode      the current display mode
//   desktop_probe loader    the loader's window (class "demo", title "Loader"), if any
//   desktop_probe dialog    the first visible dialog box (class "#32770"), if any, with its text
//   desktop_probe activate  brings the loader's window to the front, as a click on it would
//   desktop_probe close     posts WM_CLOSE to the loader's window
//   desktop_probe hold      prints "holding" and stays until it is killed, which keeps the
//                           Wine session up between the other programs of a test
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Line breaks and backslashes escaped, so the text stays on one line.
std::string Escaped(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n') {
            out += "\\n";
        } else if (*c == '\r') {
            out += "\\r";
        } else if (*c == '\\') {
            out += "\\\\";
        } else {
            out += *c;
        }
    }
    return out;
}

int ReportMode() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        std::printf("error=EnumDisplaySettingsA\n");
        return 1;
    }
    std::printf("width=%lu height=%lu bits=%lu metrics=%dx%d\n", mode.dmPelsWidth,
                mode.dmPelsHeight, mode.dmBitsPerPel, GetSystemMetrics(SM_CXSCREEN),
                GetSystemMetrics(SM_CYSCREEN));
    return 0;
}

int ReportLoader() {
    HWND window = FindWindowA("demo", "Loader");
    if (window == nullptr) {
        std::printf("window=absent\n");
        return 0;
    }
    RECT rect;
    GetWindowRect(window, &rect);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    std::printf(
        "window=present visible=%d rect=%ld,%ld,%ld,%ld style=%08lx topmost=%d "
        "foreground=%d\n",
        IsWindowVisible(window) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom,
        static_cast<unsigned long>(style), (exStyle & WS_EX_TOPMOST) ? 1 : 0,
        GetForegroundWindow() == window ? 1 : 0);
    return 0;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char className[64];
    if (IsWindowVisible(window) && GetClassNameA(window, className, sizeof(className)) &&
        std::strcmp(className, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The text of a window that belongs to another thread, without waiting on a busy thread for
// long: empty with ok = false when it does not answer within two seconds.
std::string TextOf(HWND window, bool& ok) {
    char text[1024] = "";
    DWORD_PTR copied = 0;
    ok = SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &copied) != 0;
    return ok ? Escaped(text) : std::string();
}

int Activate() {
    HWND window = FindWindowA("demo", "Loader");
    std::printf("front=%d\n", window != nullptr && SetForegroundWindow(window) ? 1 : 0);
    return 0;
}

int Close() {
    HWND window = FindWindowA("demo", "Loader");
    std::printf("closed=%d\n", window != nullptr && PostMessageA(window, WM_CLOSE, 0, 0) ? 1 : 0);
    return 0;
}

int ReportDialog() {
    HWND dialog = nullptr;
    EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) {
        std::printf("dialog=absent\n");
        return 0;
    }
    char ownerClass[64] = "";
    HWND owner = GetWindow(dialog, GW_OWNER);
    if (owner != nullptr) GetClassNameA(owner, ownerClass, sizeof(ownerClass));
    bool captionOk = false;
    bool textOk = false;
    const std::string caption = TextOf(dialog, captionOk);
    // A message box keeps its text in the static control with id 0xFFFF.
    HWND message = GetDlgItem(dialog, 0xFFFF);
    const std::string text = message != nullptr ? TextOf(message, textOk) : std::string();
    std::printf("dialog=present owner=%s owner_visible=%d answered=%d caption=%s text=%s\n",
                owner != nullptr ? ownerClass : "(none)",
                owner != nullptr && IsWindowVisible(owner) ? 1 : 0, captionOk && textOk ? 1 : 0,
                caption.c_str(), text.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc == 2 ? argv[1] : "";
    if (command == "mode") return ReportMode();
    if (command == "loader") return ReportLoader();
    if (command == "dialog") return ReportDialog();
    if (command == "activate") return Activate();
    if (command == "close") return Close();
    if (command == "hold") {
        std::printf("holding\n");
        std::fflush(stdout);
        Sleep(INFINITE);
    }
    std::fprintf(stderr, "usage: desktop_probe mode|loader|dialog|activate|close|hold\n");
    return 2;
}
