#include <cstdio>
#include <cstdlib>

#include "simhost/module_exports.h"

const ModuleExports& scriptModule() {
    static const ModuleExports exports = [] {
        ModuleExports loaded{};
        std::string reason;
        if (!loadModule("SCRIPT.x32", &loaded, &reason)) {
            std::fprintf(stderr, "cannot load the module: %s\n", reason.c_str());
            std::abort();
        }
        return loaded;
    }();
    return exports;
}
