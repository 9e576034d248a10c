#include "presentation_launch.h"

#include <windows.h>

#include "process_values.h"

namespace {

// The start-up record of the presentation program: all zero but its size, prepared once at start
// and handed over unchanged, so the program gets the default window placement and show state.
STARTUPINFOA startupRecord;

// Filled by the start of the presentation program: its process and its first thread.
PROCESS_INFORMATION processRecord;

}  // namespace

void PrepareStartupRecord() {
    startupRecord = STARTUPINFOA{};
    startupRecord.cb = sizeof(STARTUPINFOA);
}

void LaunchPresentation() {
    // CreateProcess may write into the command line, so it must not be a literal.
    char commandLine[] = ".\\data\\projector.exe";
    const bool started =
        CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                       nullptr, &startupRecord, &processRecord) != FALSE;

    if (started) {
        CloseHandle(processRecord.hThread);
        WaitForInputIdle(processRecord.hProcess, INFINITE);
    }
    ShowWindow(mainWindow, SW_HIDE);
    UpdateWindow(mainWindow);
    if (started) WaitForSingleObject(processRecord.hProcess, INFINITE);

    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
    presentationDone = 1;
    UpdateWindow(mainWindow);
    if (started) CloseHandle(processRecord.hProcess);

    // Queued before the main loop looks again, so it closes the window.
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}
