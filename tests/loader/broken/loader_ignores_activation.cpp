// A deliberately broken loader for `make loader-proofs`: it starts the presentation program the
// first time its queue is empty, whether or not it is the active application. The loader's own
// main loop, compiled with the active flag read as always set. Never shipped.
#include "process_values.h"

#define appActive 1
#include "main_loop.cpp"
