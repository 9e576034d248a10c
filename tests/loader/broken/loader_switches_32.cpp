// A deliberately broken loader for `make loader-proofs`: it switches the display to 32 bits
// instead of 16. The loader's own display handling, compiled with a display-settings call that
// turns the 16-bit switch into a 32-bit one (the mode tests are left alone). Never shipped.
#include <windows.h>

namespace {

LONG WINAPI ChangeDisplaySettingsAt32Bits(DEVMODEA* mode, DWORD flags) {
    if (mode != nullptr && !(flags & CDS_TEST) && mode->dmBitsPerPel == 16) {
        mode->dmBitsPerPel = 32;
    }
    return ChangeDisplaySettingsA(mode, flags);
}

}  // namespace

#define ChangeDisplaySettingsA ChangeDisplaySettingsAt32Bits
#include "display_modes.cpp"
