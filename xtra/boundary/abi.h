// The binary conventions shared with the host: calling convention, status codes, GUIDs.
#pragma once

#include <cstdint>
#include <cstring>

// Every operation that crosses to or from the host uses the COM convention of 32-bit
// Windows. On other targets (the native test build) there is only one convention.
#if defined(_WIN32) && defined(__i386__)
#define XTRA_CALL __stdcall
#else
#define XTRA_CALL
#endif

using Status = int32_t;

constexpr Status StatusOk = 0;
constexpr Status StatusOutOfMemory = static_cast<Status>(0x80040002u);
constexpr Status StatusInUse = static_cast<Status>(0x80040003u);
constexpr Status StatusNotAvailable = static_cast<Status>(0x80040004u);
constexpr Status StatusNotImplemented = static_cast<Status>(0x80040005u);
constexpr Status StatusWrongVersion = static_cast<Status>(0x80040014u);

// A class or interface identifier in its usual 16-byte binary form.
struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(Guid) == 16, "a GUID is 16 raw bytes");

// Identifiers are compared as 16 raw bytes, never field by field.
inline bool sameGuid(const Guid& a, const Guid& b) {
    return std::memcmp(&a, &b, sizeof(Guid)) == 0;
}
