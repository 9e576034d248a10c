// A deliberately broken loader for `make loader-proofs`: it handles no message at all while it
// waits for the presentation program, so whatever is sent to its window goes unanswered. The
// loader's own launch, compiled with waits that see only the process handle. Wine's
// WaitForInputIdle answers sent messages, which Windows' is not documented to do; so that the
// wait for readiness is deaf under Wine as well, it looks at the program only every 4 s, longer
// than a sender's time-out of 3 s. Never shipped.
#include <windows.h>

namespace {

DWORD WINAPI WaitDeaf(DWORD count, const HANDLE* handles, BOOL all, DWORD timeoutMs, DWORD) {
    return WaitForMultipleObjects(count, handles, all, timeoutMs == INFINITE ? INFINITE : 4000);
}

}  // namespace

#define MsgWaitForMultipleObjects WaitDeaf
#include "presentation_launch.cpp"
