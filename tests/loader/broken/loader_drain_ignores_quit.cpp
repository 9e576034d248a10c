// A deliberately broken loader for `make loader-proofs`: a quit message met while it handles
// what the display switch queued is passed on like any other message, and the loader goes on
// to start the presentation program. The loader's own display handling, compiled with the quit
// message looked for under another number. Never shipped.
#include <windows.h>

#undef WM_QUIT
#define WM_QUIT WM_NULL
#include "display_modes.cpp"
