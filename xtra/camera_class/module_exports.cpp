// The module's five exports: each hands the module's class table to the boundary.
#include "xtra/boundary/exports.h"
#include "xtra/camera_class/class_entries.h"

extern "C" {

Status XTRA_CALL DllGetClassObject(const Guid*, const Guid*, void**) {
    return getClassObject();
}

Status XTRA_CALL DllCanUnloadNow() {
    return canUnloadNow();
}

Status XTRA_CALL DllGetClassForm(const Guid* classId, int32_t* instanceSize,
                                 CreateOperation* create, DestroyOperation* destroy) {
    return getClassForm(moduleClassTable, classId, instanceSize, create, destroy);
}

Status XTRA_CALL DllGetInterface(InstanceRecord* instance, const Guid* classId,
                                 const Guid* interfaceId, void** out) {
    return getInterface(moduleClassTable, instance, classId, interfaceId, out);
}

Status XTRA_CALL DllGetClassInfo(Allocator* allocator, ClassInfoRecord** out) {
    return getClassInfo(moduleClassTable, allocator, out);
}

}  // extern "C"
