// A deliberately broken loader for `make loader-proofs`: only the close that the launch posts
// keeps it from starting the presentation program again. The loader's own main loop, compiled
// with presentationDone read as never set. Never shipped.
#include "process_values.h"

#define presentationDone 0
#include "main_loop.cpp"
