#include "process_values.h"

HWND mainWindow;
HBITMAP splashBitmap;
int32_t appActive;
int32_t presentationDone;
int32_t presentationRunning;
