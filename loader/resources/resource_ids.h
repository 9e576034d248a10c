#pragma once

// Shared by loader.rc and the program; plain defines because windres reads this file too.
#define LOADER_ICON_GROUP 101
#define LOADER_SPLASH_BITMAP 102
