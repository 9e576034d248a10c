#include "running_mark.h"

#include <windows.h>

const char kRunningLoaderMark[] = "Orvanta.Loader.Running";

bool ClaimRunningMark(const char* name) {
    HANDLE mark = CreateMutexA(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    if (mark != nullptr && error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mark);
        return false;
    }
    // Made by a loader of another user in this session: it exists, but may not be opened.
    if (mark == nullptr && error == ERROR_ACCESS_DENIED) return false;
    // The handle stays open on purpose: the mark lasts as long as this process.
    return true;
}
