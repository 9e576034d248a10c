// A deliberately broken loader for `make loader-proofs`: its full-screen window is a bare popup,
// without the clipping styles and the system menu. The loader's own display handling, compiled
// with those three styles read as none. Never shipped.
#include <windows.h>

#undef WS_CLIPSIBLINGS
#undef WS_CLIPCHILDREN
#undef WS_SYSMENU
#define WS_CLIPSIBLINGS 0L
#define WS_CLIPCHILDREN 0L
#define WS_SYSMENU 0L
#include "display_modes.cpp"
