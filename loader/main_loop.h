#pragma once

// Returns the quit message's code. The presentation program starts the first time the queue is
// empty while the loader is the active application; a WM_CLOSE posted by the launch is then
// waiting, so it starts only once.
int RunMainLoop();
