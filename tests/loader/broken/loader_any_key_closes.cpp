// A deliberately broken loader for `make loader-proofs`: any key, not only Escape, ends it while
// the splash is up. The loader's own window procedure, compiled with every key read as Escape.
// Never shipped.
#include <windows.h>

#undef VK_ESCAPE
#define VK_ESCAPE wParam
#pragma GCC diagnostic ignored "-Wtautological-compare"
#include "splash_window.cpp"
