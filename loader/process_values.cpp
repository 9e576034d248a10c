#include "process_values.h"

HANDLE runningMark;
HWND mainWindow;
HBITMAP splashBitmap;
int32_t appActive;
int32_t presentationDone;
ModeTable modeTable;
DEVMODEA switchRecord;
RECT windowRect;
STARTUPINFOA startupRecord;
PROCESS_INFORMATION processRecord;
