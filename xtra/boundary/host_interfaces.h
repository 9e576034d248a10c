// The host's interfaces as the module sees them: operation tables by slot, the instance
// record's header, the call record and the small records that cross by pointer.
//
// Slots the module never calls are declared as opaque pointers so that every table keeps
// the host's slot numbering.
#pragma once

#include <cstddef>
#include <cstdint>

#include "abi.h"

// An 8-byte host value. The module never looks into it; only the host's operations do.
struct HostValue {
    uint32_t opaque[2];
};
static_assert(sizeof(HostValue) == 8, "host values are 8 bytes");

using Symbol = int32_t;

// The record handed to PointToValue: a point of two 32-bit coordinates.
struct HostPoint {
    int32_t h;
    int32_t v;
};
static_assert(sizeof(HostPoint) == 8, "the point record is 8 bytes");

// The native-window record filled by GetNativeWindow: word 0 the kind, word 2 the handle. The
// host fixes nothing else of it, not even its size, so the module hands over a generous block,
// zeroed, and reads those two words alone: a host that writes a larger record than expected
// still stays inside it.
constexpr size_t NativeWindowRecordBytes = 256;
struct NativeWindowRecord {
    int32_t kind;
    int32_t word1;
    void* window;
    uint8_t hostOwned[NativeWindowRecordBytes - 2 * sizeof(int32_t) - sizeof(void*)];
};
static_assert(sizeof(NativeWindowRecord) == NativeWindowRecordBytes, "a 256-byte record");
constexpr int32_t NativeWindowKind = 1;

using Unused = void*;

#define HOST_UNKNOWN_SLOTS(Self)                                                 \
    Status(XTRA_CALL* QueryInterface)(Self * self, const Guid* iid, void** out); \
    uint32_t(XTRA_CALL* AddRef)(Self * self);                                    \
    uint32_t(XTRA_CALL* Release)(Self * self)

struct HostServices;
struct HostServicesOps {
    HOST_UNKNOWN_SLOTS(HostServices);
};
struct HostServices {
    const HostServicesOps* ops;
};

struct Allocator;
struct AllocatorOps {
    HOST_UNKNOWN_SLOTS(Allocator);
    void*(XTRA_CALL* Allocate)(Allocator* self, uint32_t size);  // null: out of memory
    void(XTRA_CALL* Free)(Allocator* self, void* block);
};
struct Allocator {
    const AllocatorOps* ops;
};

struct ValueServices;
struct ValueServicesOps {
    HOST_UNKNOWN_SLOTS(ValueServices);
    Status(XTRA_CALL* StringToSymbol)(ValueServices* self, const char* text, Symbol* out);  // 3
    Unused slot4, slot5, slot6;
    Status(XTRA_CALL* ReleaseValue)(ValueServices* self, HostValue* value);  // 7
    Unused slot8, slot9;
    // Non-zero status: the value is not convertible to a number.
    Status(XTRA_CALL* ValueToFloat)(ValueServices* self, const HostValue* value,
                                    double* out);  // 10
    Unused slot11, slot12, slot13, slot14, slot15, slot16;
    Status(XTRA_CALL* IntegerToValue)(ValueServices* self, int32_t number, HostValue* out);  // 17
    Status(XTRA_CALL* SymbolToValue)(ValueServices* self, Symbol symbol, HostValue* out);    // 18
    Status(XTRA_CALL* FloatToValue)(ValueServices* self, double number, HostValue* out);     // 19
    Unused slot20, slot21;
    Status(XTRA_CALL* PointToValue)(ValueServices* self, const HostPoint* point,
                                    HostValue* out);  // 22
};
struct ValueServices {
    const ValueServicesOps* ops;
};

struct ListServices;
struct ListServicesOps {
    HOST_UNKNOWN_SLOTS(ListServices);
    Status(XTRA_CALL* NewList)(ListServices* self, HostValue* out);  // 3; non-zero: no list
    Status(XTRA_CALL* AppendToList)(ListServices* self, HostValue* list,
                                    const HostValue* item);  // 4
    Unused slot5, slot6;
    // Items count from 1.
    Status(XTRA_CALL* SetListItem)(ListServices* self, HostValue* list, int32_t index,
                                   const HostValue* item);  // 7
};
struct ListServices {
    const ListServicesOps* ops;
};

// Obtained and released, never called.
struct AuxServices;
struct AuxServicesOps {
    HOST_UNKNOWN_SLOTS(AuxServices);
};
struct AuxServices {
    const AuxServicesOps* ops;
};

struct WindowObject;
struct WindowObjectOps {
    HOST_UNKNOWN_SLOTS(WindowObject);
    Unused slot3, slot4;
    Status(XTRA_CALL* GetNativeWindow)(WindowObject* self, NativeWindowRecord* out);  // 5
};
struct WindowObject {
    const WindowObjectOps* ops;
};

struct PresentationObject;
struct PresentationObjectOps {
    HOST_UNKNOWN_SLOTS(PresentationObject);
    Unused slot3, slot4, slot5, slot6, slot7, slot8, slot9, slot10, slot11, slot12, slot13, slot14,
        slot15, slot16, slot17, slot18;
    Status(XTRA_CALL* GetPresentationWindow)(PresentationObject* self,
                                             WindowObject** out);  // 19
};
struct PresentationObject {
    const PresentationObjectOps* ops;
};

struct PresentationServices;
struct PresentationServicesOps {
    HOST_UNKNOWN_SLOTS(PresentationServices);
    Unused slot3, slot4, slot5;
    Status(XTRA_CALL* GetPresentation)(PresentationServices* self,
                                       PresentationObject** out);  // 6
};
struct PresentationServices {
    const PresentationServicesOps* ops;
};

constexpr int32_t InfoApplicationName = 5;
constexpr int32_t InfoVersionText = 6;

struct HostInfo;
struct HostInfoOps {
    HOST_UNKNOWN_SLOTS(HostInfo);
    Status(XTRA_CALL* GetInfoString)(HostInfo* self, int32_t selector, char* buffer,
                                     int32_t size);  // 3
};
struct HostInfo {
    const HostInfoOps* ops;
};

struct RegistrationDictionary;
struct RegistrationDictionaryOps {
    HOST_UNKNOWN_SLOTS(RegistrationDictionary);
    Unused slot3, slot4, slot5;
    Status(XTRA_CALL* PutEntry)(RegistrationDictionary* self, int32_t typeCode, const void* data,
                                int32_t reserved, const char* key);  // 6
};
struct RegistrationDictionary {
    const RegistrationDictionaryOps* ops;
};

constexpr int32_t EntryTypeInteger = 3;
constexpr int32_t EntryTypeText = 9;

struct RegistrationCache;
struct RegistrationCacheOps {
    HOST_UNKNOWN_SLOTS(RegistrationCache);
    Unused slot3, slot4, slot5, slot6;
    // The dictionary is lent: it is not released.
    Status(XTRA_CALL* GetRegistrationDictionary)(RegistrationCache* self, int32_t context,
                                                 const Guid* classId, const Guid* interfaceId,
                                                 RegistrationDictionary** out);  // 7
};
struct RegistrationCache {
    const RegistrationCacheOps* ops;
};

// The host's header at the start of every instance record; the class's own fields follow.
// Six words: 24 bytes on the 32-bit build.
struct InstanceRecord;
struct InstanceOps {
    HOST_UNKNOWN_SLOTS(InstanceRecord);
};
struct InstanceRecord {
    const InstanceOps* ops;  // word 0: the instance's own table
    void* hostWord1;
    HostServices* hostServices;  // word 2
    Allocator* allocator;        // word 3
    void* hostWord4;
    void* hostWord5;
};

// The record given to Call. Only the method number, the result and the argument array are
// the module's to touch; it never reads an argument count.
struct CallRecord {
    uint32_t hostWord0;
    uint32_t hostWord1;
    int32_t methodNumber;  // byte 8
    HostValue result;      // byte 12
    uint32_t hostWord5;
    HostValue* arguments;  // byte 24
};
static_assert(offsetof(CallRecord, methodNumber) == 8, "method number at byte 8");
static_assert(offsetof(CallRecord, result) == 12, "result at byte 12");
static_assert(offsetof(CallRecord, arguments) == 24, "argument array at byte 24");

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(InstanceRecord) == 24, "the host's instance header is 24 bytes");
static_assert(offsetof(InstanceRecord, hostServices) == 8, "HostServices at byte 8");
static_assert(offsetof(InstanceRecord, allocator) == 12, "Allocator at byte 12");
static_assert(offsetof(NativeWindowRecord, window) == 8, "window handle in word 2");
#endif

// Identifiers of the host interfaces the module asks for.
extern const Guid IID_ValueServices;
extern const Guid IID_ListServices;
extern const Guid IID_AuxServices;
extern const Guid IID_PresentationServices;
extern const Guid IID_HostInfo;
// The host's load-control dictionary, under which a class stores "XtraLoadControlOptions".
extern const Guid IID_LoadControl;
// COM's class-factory interface, named in every class record.
extern const Guid IID_ClassFactory;

// Asks the host for one of its services. The out pointer is cleared first, so a host that
// answers without writing it leaves null there, never an earlier value.
template <typename Service>
Status queryService(HostServices* services, const Guid& iid, Service** out) {
    *out = nullptr;
    return services->ops->QueryInterface(services, &iid, reinterpret_cast<void**>(out));
}
