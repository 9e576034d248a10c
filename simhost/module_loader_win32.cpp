#include <windows.h>

#include "simhost/module_exports.h"

namespace {

template <typename Function>
bool lookUp(HMODULE module, const char* name, Function* out, std::string* reason) {
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr) {
        *reason = std::string("no export named ") + name;
        return false;
    }
    *out = reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    return true;
}

}  // namespace

bool loadModule(const char* path, ModuleExports* out, std::string* reason) {
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        *reason = std::string("LoadLibraryA failed for ") + path;
        return false;
    }
    return lookUp(module, "DllGetClassObject", &out->DllGetClassObject, reason) &&
           lookUp(module, "DllCanUnloadNow", &out->DllCanUnloadNow, reason) &&
           lookUp(module, "DllGetClassForm", &out->DllGetClassForm, reason) &&
           lookUp(module, "DllGetInterface", &out->DllGetInterface, reason) &&
           lookUp(module, "DllGetClassInfo", &out->DllGetClassInfo, reason);
}
