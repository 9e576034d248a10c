// A deliberately broken loader for `make loader-proofs`: deaf to what is sent to its window
// while it waits for the presentation program. The loader's own launch, compiled with waits on
// the process handle alone; as Wine's WaitForInputIdle (unlike Windows') answers sent messages,
// the wait for readiness asks it only every 4 s, past a sender's 3 s time-out. Never shipped.
#include <windows.h>

namespace {

DWORD WINAPI WaitDeaf(DWORD count, const HANDLE* handles, BOOL all, DWORD timeoutMs, DWORD) {
    return WaitForMultipleObjects(count, handles, all, timeoutMs == INFINITE ? INFINITE : 4000);
}

}  // namespace

#define MsgWaitForMultipleObjects WaitDeaf
#include "presentation_launch.cpp"
