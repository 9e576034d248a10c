// The numbers a Director host defines for the modules it loads, written out here as the host's
// own and never taken from the module, so that a module that gets one wrong disagrees with this
// host. The identifiers are in interface_ids.h; the slot numbers of the host's operation tables
// are where the simulated host builds each table (sim_host.cpp, sim_values.cpp).
#pragma once

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

}  // namespace sim
