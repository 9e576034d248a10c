// The numbers a Director host defines for the modules it loads, written out here as the host's
// own and never taken from the module, so that a module that gets one wrong disagrees with this
// host. The identifiers are in interface_ids.h; the slot numbers of the host's operation tables
// are where the simulated host builds each table (sim_host.cpp, sim_values.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

// The statuses a module answers the host with, from its exports, from Register and from the
// creation of an interface object.
constexpr int32_t StatusOutOfMemory = static_cast<int32_t>(0x80040002u);
constexpr int32_t StatusInUse = static_cast<int32_t>(0x80040003u);
constexpr int32_t StatusNotAvailable = static_cast<int32_t>(0x80040004u);
constexpr int32_t StatusNotImplemented = static_cast<int32_t>(0x80040005u);
constexpr int32_t StatusWrongVersion = static_cast<int32_t>(0x80040014u);

// GetInfoString of HostInfo: what the selectors ask for, and the buffer size a module states.
constexpr int32_t InfoApplicationName = 5;
constexpr int32_t InfoVersionText = 6;
constexpr int32_t InfoBufferSize = 64;

// The type codes of PutEntry.
constexpr int32_t EntryTypeInteger = 3;
constexpr int32_t EntryTypeText = 9;

// The kind word of a native-window record that carries a window handle.
constexpr int32_t NativeWindowKind = 1;

// The host's header of an instance record: six words, 24 bytes on the host's 32-bit build. Word 0
// is the instance's own table, word 2 HostServices, word 3 Allocator; the class's own fields
// start after it, a camera's with its three host links (values, lists, aux).
constexpr size_t InstanceHeaderWords = 6;

// The slots of the tables of the objects a module hands out. Every table starts with
// QueryInterface, AddRef and Release; slot 3 is Call on a script object and Register on a
// registration object. A camera's table holds method n (1 to 26) in slot 3 + n, then its five
// internal operations.
constexpr size_t QueryInterfaceSlot = 0;
constexpr size_t AddRefSlot = 1;
constexpr size_t ReleaseSlot = 2;
constexpr size_t CallSlot = 3;
constexpr size_t RegisterSlot = 3;
constexpr size_t methodSlot(int32_t method) {
    return 3 + static_cast<size_t>(method);
}
constexpr size_t AimAtInterestSlot = 30;
constexpr size_t VectorAngleSlot = 31;
constexpr size_t UpdateRotationTableSlot = 32;
constexpr size_t UpdateProjectionScaleSlot = 33;
constexpr size_t UpdateStageSizeSlot = 34;

}  // namespace sim
