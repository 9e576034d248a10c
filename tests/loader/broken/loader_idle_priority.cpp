// A deliberately broken loader for `make loader-proofs`: it starts the presentation program at
// idle priority instead of normal. The loader's own launch, compiled with that priority class in
// place of the normal one. Never shipped.
#include <windows.h>

#undef NORMAL_PRIORITY_CLASS
#define NORMAL_PRIORITY_CLASS IDLE_PRIORITY_CLASS
#include "presentation_launch.cpp"
