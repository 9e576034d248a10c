// A deliberately broken loader for `make loader-proofs`: it never finds another loader running,
// so a second one starts a second presentation. The loader's own mark, compiled with a mutex
// creation that always makes a new, unnamed one. Never shipped.
#include <windows.h>

namespace {

HANDLE WINAPI CreateUnnamedMutex(SECURITY_ATTRIBUTES* security, BOOL owned, const char*) {
    return CreateMutexA(security, owned, nullptr);
}

}  // namespace

#define CreateMutexA CreateUnnamedMutex
#include "running_mark.cpp"
