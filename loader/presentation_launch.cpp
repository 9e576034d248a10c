#include "presentation_launch.h"

#include <windows.h>

#include "process_values.h"

namespace {

// The start-up record of the presentation program: all zero but its size, prepared once at start
// and handed over unchanged, so the program gets the default window placement and show state.
STARTUPINFOA startupRecord;

// Filled by the start of the presentation program: its process and its first thread.
PROCESS_INFORMATION processRecord;

// How often the wait for readiness asks whether the presentation program is ready for input;
// between two questions it answers what is sent to the loader.
constexpr DWORD kReadyPollMs = 10;

// Handles the messages that other threads have sent to the loader's thread, and nothing that was
// posted to it: keys, clicks, activation changes and closes stay queued for the main loop. A
// program that sends to every top-level window, as a broadcast of WM_FONTCHANGE or
// WM_SETTINGCHANGE does, would otherwise hang until the presentation program has ended, and for
// good when it is the presentation program itself.
void AnswerSentMessages() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Until the program is ready for input, has ended, or cannot be asked. WaitForInputIdle is not
// documented to handle sent messages while it waits, so it is asked without waiting.
void WaitUntilReady(HANDLE process) {
    while (WaitForInputIdle(process, 0) == WAIT_TIMEOUT) {
        const DWORD woken =
            MsgWaitForMultipleObjects(1, &process, FALSE, kReadyPollMs, QS_SENDMESSAGE);
        if (woken == WAIT_OBJECT_0 + 1) {
            AnswerSentMessages();
        } else if (woken != WAIT_TIMEOUT) {
            return;
        }
    }
}

// Until the program has ended (or its handle cannot be waited on).
void WaitUntilEnded(HANDLE process) {
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        AnswerSentMessages();
    }
}

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
        presentationRunning = 1;
        CloseHandle(processRecord.hThread);
        WaitUntilReady(processRecord.hProcess);
    }
    ShowWindow(mainWindow, SW_HIDE);
    UpdateWindow(mainWindow);
    if (started) WaitUntilEnded(processRecord.hProcess);
    presentationRunning = 0;

    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
    presentationDone = 1;
    UpdateWindow(mainWindow);
    if (started) CloseHandle(processRecord.hProcess);

    // Queued before the main loop looks again, so it closes the window.
    PostMessageA(mainWindow, WM_CLOSE, 0, 0);
}
