#pragma once

#include <windows.h>

// The mark of a running loader, in two parts. A named mutex, kept for the life of the process
// and dropped by the system when the process ends, however it ends: a kernel object rather than
// a file, so nothing is written and a loader that crashed leaves nothing behind. The loader owns
// it while it starts up, until its window exists; from then on that window, class
// kWindowClassName and title kWindowTitle, tells a running loader from any other program that
// happens to hold a mutex of that name.
//
// What remains: a program that holds the mutex and never lets go of it delays every start by
// kStartUpWaitMs before the loader runs all the same; two loaders started while such a program
// holds it both wait and both run; and a program with a window of the loader's class and title
// is taken for a running loader, so no loader runs beside it.

// The name every loader uses. Without a namespace prefix it is one per session, like the display
// that the loader switches.
extern const char kRunningLoaderMark[];

// How long a start waits for a loader that owns the mutex to create its window. Far longer than
// a start-up takes: from the start to the window takes about 0.1 s under Wine.
inline constexpr DWORD kStartUpWaitMs = 10000;

// Decides at start whether this loader runs. False when another loader runs: this one has to end
// without touching the display or the presentation program of the running one. True otherwise,
// also when the mutex is held by another program or cannot be opened at all; `mark` is then this
// loader's handle of the mutex (null when it could not be opened), owned by its thread when it
// could be taken, until HandMarkToWindow.
bool ClaimRunningMark(const char* name, DWORD startUpWaitMs, HANDLE& mark);

// Called once the window exists, which marks the loader from then on: a start that waits on the
// mutex goes on and finds the window.
void HandMarkToWindow(HANDLE mark);
