// A deliberately broken loader for `make loader-proofs`: it hands the presentation program a
// start-up record that was never prepared, its size field 0. The loader's own start, compiled
// with the preparation left out. Never shipped.
#include "presentation_launch.h"

#define PrepareStartupRecord() static_cast<void>(0)
#include "main.cpp"
