// The plug-in as a host reaches it: through its five exports only.
#pragma once

#include <string>

#include "xtra/boundary/class_table.h"

struct ModuleExports {
    Status(XTRA_CALL* DllGetClassObject)(const Guid*, const Guid*, void**);
    Status(XTRA_CALL* DllCanUnloadNow)();
    Status(XTRA_CALL* DllGetClassForm)(const Guid*, int32_t*, CreateOperation*, DestroyOperation*);
    Status(XTRA_CALL* DllGetInterface)(InstanceRecord*, const Guid*, const Guid*, void**);
    Status(XTRA_CALL* DllGetClassInfo)(Allocator*, ClassInfoRecord**);
};

// On Windows: loads the module file with LoadLibraryA and looks the exports up by name;
// false (with a reason) if any is missing. Off Windows, the module is linked in.
bool loadModule(const char* path, ModuleExports* out, std::string* reason);

// The module as a program that plays the host loads it: SCRIPT.x32 beside the program (or
// linked in), loaded once. A module that cannot be loaded ends the program with the reason.
const ModuleExports& scriptModule();
