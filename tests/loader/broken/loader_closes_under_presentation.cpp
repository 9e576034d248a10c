// A deliberately broken loader for `make loader-proofs`: a close or destroy request sent to its
// window while the presentation program runs is acted on at once, which restores the display
// under the running presentation. The loader's own window procedure, compiled with
// presentationRunning read as never set. Never shipped.
#include "process_values.h"

#define presentationRunning 0
#include "splash_window.cpp"
