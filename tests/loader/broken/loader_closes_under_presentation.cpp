// A deliberately broken loader for `make loader-proofs`: a close sent while the presentation
// program runs closes it at once, restoring the display under the presentation. The loader's own
// window procedure, compiled with presentationRunning read as never set. Never shipped.
#include "process_values.h"

#define presentationRunning 0
#include "splash_window.cpp"
