// Off Windows the plug-in is linked into the program; its exports are taken directly.
#include "simhost/module_exports.h"
#include "xtra/boundary/exports.h"

bool loadModule(const char*, ModuleExports* out, std::string*) {
    out->DllGetClassObject = DllGetClassObject;
    out->DllCanUnloadNow = DllCanUnloadNow;
    out->DllGetClassForm = DllGetClassForm;
    out->DllGetInterface = DllGetInterface;
    out->DllGetClassInfo = DllGetClassInfo;
    return true;
}
