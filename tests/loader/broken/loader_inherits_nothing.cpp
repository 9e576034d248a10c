// A deliberately broken loader for `make loader-proofs`: it starts the presentation program
// without handing down its inheritable handles. The loader's own launch, compiled with a
// process start that turns inheritance off. Never shipped.
#include <windows.h>

namespace {

BOOL WINAPI CreateProcessInheritingNothing(LPCSTR application, LPSTR commandLine,
                                           LPSECURITY_ATTRIBUTES processSecurity,
                                           LPSECURITY_ATTRIBUTES threadSecurity, BOOL, DWORD flags,
                                           LPVOID environment, LPCSTR directory,
                                           LPSTARTUPINFOA startup, LPPROCESS_INFORMATION process) {
    return CreateProcessA(application, commandLine, processSecurity, threadSecurity, FALSE, flags,
                          environment, directory, startup, process);
}

}  // namespace

#define CreateProcessA CreateProcessInheritingNothing
#include "presentation_launch.cpp"
