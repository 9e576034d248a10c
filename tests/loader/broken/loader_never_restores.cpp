// A deliberately broken loader for `make loader-proofs`: it never puts the display back. The
// loader's own display handling, compiled with a display-settings call that drops every request
// to restore the stored mode. Never shipped.
#include <windows.h>

namespace {

LONG WINAPI ChangeDisplaySettingsButNeverRestore(DEVMODEA* mode, DWORD flags) {
    if (mode == nullptr) return DISP_CHANGE_SUCCESSFUL;
    return ChangeDisplaySettingsA(mode, flags);
}

}  // namespace

#define ChangeDisplaySettingsA ChangeDisplaySettingsButNeverRestore
#include "display_modes.cpp"
