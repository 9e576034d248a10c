// The module's five exports, under the names the host looks for, and what each does for a
// class table it is handed. The exports themselves are defined where the module's class table
// is (xtra/camera_class/module_exports.cpp), each in one line that passes that table on.
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

// DllGetClassObject: the module makes no class factories.
Status getClassObject();

// DllCanUnloadNow: 0 while no interface object lives, else StatusInUse.
Status canUnloadNow();

// DllGetClassForm: the size, create and destroy operations of the class that the id selects; a
// null id is no filter, so the table's first class answers. The out arguments are left alone
// and StatusNotImplemented returned when no class matches.
Status getClassForm(const ClassTable& table, const Guid* classId, int32_t* instanceSize,
                    CreateOperation* create, DestroyOperation* destroy);

// DllGetInterface: runs the creator of the first interface with this id among the classes that
// the class id selects (all when it is null); StatusNotAvailable, out pointer untouched, when
// none matches.
Status getInterface(const ClassTable& table, InstanceRecord* instance, const Guid* classId,
                    const Guid* interfaceId, void** out);

// DllGetClassInfo: the class-information array, a class and an interface record per class and
// a terminator, allocated from the host's Allocator and the host's from then on.
Status getClassInfo(const ClassTable& table, Allocator* allocator, ClassInfoRecord** out);
