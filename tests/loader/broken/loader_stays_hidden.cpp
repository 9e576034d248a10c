// A deliberately broken loader for `make loader-proofs`: started asked to be hidden, it keeps its
// splash hidden, never becomes active, never starts the presentation and never ends. The
// loader's own start, compiled with SW_HIDE read as a number no start gives. Never shipped.
#include <windows.h>

#undef SW_HIDE
#define SW_HIDE (-1)
#include "main.cpp"
