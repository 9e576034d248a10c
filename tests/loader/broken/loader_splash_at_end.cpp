// A deliberately broken loader for `make loader-proofs`: it paints the splash at the end instead
// of black. The loader's own launch, compiled so that it sets a flag of its own rather than
// presentationDone, which the window reads. Never shipped.
#include "process_values.h"

#define presentationDone doneFlagNobodyReads
int32_t doneFlagNobodyReads;
#include "presentation_launch.cpp"
