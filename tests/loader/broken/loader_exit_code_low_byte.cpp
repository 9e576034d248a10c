// A deliberately broken loader for `make loader-proofs`: it ends with only the low byte of its
// exit code, so -1 comes out as 255. The loader's own start, wrapped in an entry that masks the
// result. Never shipped.
#include <windows.h>

#define WinMain LoaderWinMain
#include "main.cpp"
#undef WinMain

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return LoaderWinMain(instance, previous, commandLine, showCommand) & 0xFF;
}
