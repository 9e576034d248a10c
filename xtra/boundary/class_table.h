// A module's class table: the classes the host sees, each with its one interface. The entries
// are the classes' own (xtra/camera_class/class_entries.cpp); the boundary only reads a table it
// is handed.
#pragma once

#include "xtra/boundary/host_interfaces.h"

using CreateOperation = Status(XTRA_CALL*)(InstanceRecord* instance);
using DestroyOperation = void(XTRA_CALL*)(InstanceRecord* instance);
using InterfaceCreator = Status(XTRA_CALL*)(InstanceRecord* instance, void** out);

constexpr uint32_t ClassVersion = 0x20040;
constexpr uint32_t InterfaceVersion = 0x20040;

// The 40-byte record of the array that DllGetClassInfo hands to the host.
struct ClassInfoRecord {
    Guid classId;
    uint32_t classVersion;
    Guid interfaceId;
    uint32_t value;  // 1 in a class record, the interface version in an interface record
};
static_assert(sizeof(ClassInfoRecord) == 40, "class-information records are 40 bytes");

// One class: its instance size (the host's 24-byte header included), its create and destroy
// operations, and its one interface with that interface's creator.
struct ClassEntry {
    const Guid* classId;
    int32_t instanceSize;
    CreateOperation create;
    DestroyOperation destroy;
    const Guid* interfaceId;
    InterfaceCreator creator;
};

// The classes in the order the host sees them through enumeration.
struct ClassTable {
    const ClassEntry* entries;
    int32_t count;

    const ClassEntry* begin() const { return entries; }
    const ClassEntry* end() const { return entries + count; }
};

// Whether a class id the host passes selects the entry: a null id selects every class.
bool isSelectedBy(const ClassEntry& entry, const Guid* classId);
