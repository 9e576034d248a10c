// A deliberately broken loader for `make loader-proofs`: it leaves the cursor as it is after a
// paint instead of showing the wait cursor. The loader's own window procedure, compiled with a
// cursor setting that does nothing. Never shipped.
#include <windows.h>

#define SetCursor(cursor) static_cast<void>(cursor)
#include "splash_window.cpp"
