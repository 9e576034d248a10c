#include "running_mark.h"

#include "splash_window.h"

const char kRunningLoaderMark[] = "Orvanta.Loader.Running";

bool ClaimRunningMark(const char* name, DWORD startUpWaitMs, HANDLE& mark) {
    mark = CreateMutexA(nullptr, TRUE, name);
    const DWORD error = GetLastError();
    if (mark != nullptr && error != ERROR_ALREADY_EXISTS) return true;

    // Held already. A loader that is still starting owns the mutex until its window exists, so
    // the wait ends when that window is there, or when its holder has ended.
    bool owned = false;
    if (mark != nullptr) {
        const DWORD waited = WaitForSingleObject(mark, startUpWaitMs);
        owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    // A mutex that cannot be opened (made by a loader of another user in this session, or by a
    // program that locks this user out) leaves only the window to tell.
    if (FindWindowA(kWindowClassName, kWindowTitle) == nullptr) return true;

    if (owned) ReleaseMutex(mark);
    if (mark != nullptr) CloseHandle(mark);
    mark = nullptr;
    return false;
}

void HandMarkToWindow(HANDLE mark) {
    // Fails harmlessly when this loader does not own the mutex.
    ReleaseMutex(mark);
}
