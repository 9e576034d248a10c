#include "demo/capture.h"

#include <windows.h>

#include <cstdio>

namespace demo {

namespace {

constexpr DWORD WaitLimitMs = 30000;

}  // namespace

Capture::Capture(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '\\' && folder_.back() != '/') {
        folder_ += '\\';
    }
}

void Capture::announce(const std::string& name, const std::string& text) const {
    if (!on()) {
        return;
    }
    const std::string path = folder_ + name + ".txt";
    const std::string partial = path + ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool Capture::requested(const std::string& name) const {
    return on() &&
           GetFileAttributesA((folder_ + name + ".request").c_str()) != INVALID_FILE_ATTRIBUTES;
}

double Capture::waitFor(const std::string& name, bool pump) const {
    if (!on()) {
        return 0.0;
    }
    const std::string path = folder_ + name + ".done";
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
           GetTickCount() - start < WaitLimitMs) {
        if (pump) {
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    // Handled by the main loop, which looks for it next.
                    PostQuitMessage(static_cast<int>(message.wParam));
                    return (GetTickCount() - start) / 1000.0;
                }
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        } else {
            Sleep(20);
        }
    }
    return (GetTickCount() - start) / 1000.0;
}

}  // namespace demo
