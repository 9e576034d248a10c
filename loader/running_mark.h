#pragma once

// The mark of a running loader: a named mutex, held (never waited on) for the life of the
// process and dropped by the system when the process ends, however it ends. A kernel object
// rather than a file, so nothing is written and a loader that crashed leaves nothing behind.

// The name every loader uses. Without a namespace prefix it is one per session, like the display
// that the loader switches.
extern const char kRunningLoaderMark[];

// Takes the mark and keeps it until the process ends. False when the mark is held already: a
// loader is running, and this one has to end without touching the display or the presentation
// program of the running one. A mark that cannot be made for any other reason does not stop the
// loader.
bool ClaimRunningMark(const char* name);
