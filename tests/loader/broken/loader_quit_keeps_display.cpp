// A deliberately broken loader for `make loader-proofs`: a quit posted by another program ends
// it with the window up and the display switched. The loader's own main loop, compiled with a
// window close that does nothing. Never shipped.
#include "splash_window.h"

#define DestroyMainWindow() static_cast<void>(0)
#include "main_loop.cpp"
