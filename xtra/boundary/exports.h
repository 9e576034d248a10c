// The module's five exports, under the names the host looks for.
#pragma once

#include "xtra/boundary/class_table.h"

extern "C" {
Status XTRA_CALL DllGetClassObject(const Guid* classId, const Guid* interfaceId, void** out);
Status XTRA_CALL DllCanUnloadNow();
Status XTRA_CALL DllGetClassForm(const Guid* classId, int32_t* instanceSize,
                                 CreateOperation* create, DestroyOperation* destroy);
Status XTRA_CALL DllGetInterface(InstanceRecord* instance, const Guid* classId,
                                 const Guid* interfaceId, void** out);
Status XTRA_CALL DllGetClassInfo(Allocator* allocator, ClassInfoRecord** out);
}
