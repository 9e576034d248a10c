// A deliberately broken loader for `make loader-proofs`: it leaves window ghosting on, so a slow
// presentation program turns its splash into a "Not Responding" ghost. The loader's own start,
// compiled with the call that turns ghosting off doing nothing. Never shipped.
#include <windows.h>

#define DisableProcessWindowsGhosting() static_cast<void>(0)
#include "main.cpp"
