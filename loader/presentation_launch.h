#pragma once

// Zeroes the start-up record and sets its size; done once, before the window exists.
void PrepareStartupRecord();

// Starts ".\data\projector.exe" from the current directory, keeps the splash up until it is
// ready for input, hides the window while it runs, then paints black and closes the window.
// When the program cannot be started, the window turns black and closes at once. While it
// waits it handles the messages sent to the loader's thread and leaves every posted one queued.
void LaunchPresentation();
