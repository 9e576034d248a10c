// A deliberately broken loader for `make loader-proofs`: started asked to be hidden, it keeps its
// splash hidden, so it never becomes the active application, never starts the presentation
// program and never ends, with the display switched. The loader's own start, compiled with the
// hidden show command looked for under a number that no start gives. Never shipped.
#include <windows.h>

#undef SW_HIDE
#define SW_HIDE (-1)
#include "main.cpp"
