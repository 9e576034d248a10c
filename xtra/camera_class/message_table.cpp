#include "xtra/camera_class/message_table.h"

#include "xtra/camera_class/script_methods.h"

#define MESSAGE_TABLE_LINE(handler, line) line "\n"

// The module's name, two comment lines, "new" (method 0), the object methods, a comment, and the
// global handlers; every line ends in a line feed and the text in a zero byte.
// clang-format off
const char messageTable[] =
    "xtra Orvanta\n"
    "-- Orvanta: a virtual camera that projects 3D world points onto the 2D stage.\n"
    "-- Set its position, point of interest, rotation and lens, then ask for projections.\n"
    "new object me\n"
    CAMERA_OBJECT_METHODS(MESSAGE_TABLE_LINE)
    "-- Utility Math Handlers\n"
    CAMERA_GLOBAL_HANDLERS(MESSAGE_TABLE_LINE);
// clang-format on
