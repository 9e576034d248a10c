// The host's interfaces as a host lays them out, written from the host's side for the benchmark
// hosts of the shipped SCRIPT.x32 (lean_host.h, tagged_host.h): operation tables by slot, the
// instance record's header and the record given to Call. Nothing here comes from the module.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#define HOST_CALL __stdcall

namespace hostabi {

using Status = int32_t;
constexpr Status NoInterface = static_cast<Status>(0x80004002u);

struct Guid {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

struct Value {
    uint32_t word[2];
};
static_assert(sizeof(Value) == 8, "host values are 8 bytes");

using Slot = void*;  // a slot the module never calls

// The services the module asks HostServices for.
constexpr Guid ValueServicesId = {
    0x151A5780, 0x32BD, 0x11D0, {0x81, 0x51, 0x00, 0xAA, 0x00, 0x5F, 0x3C, 0x08}};
constexpr Guid ListServicesId = {
    0xAC96CF98, 0x0045, 0x5C0B, {0x00, 0x00, 0x00, 0x40, 0x10, 0x50, 0x23, 0xFB}};
constexpr Guid AuxServicesId = {
    0x3F698780, 0x32BE, 0x11D0, {0x81, 0x51, 0x00, 0xAA, 0x00, 0x5F, 0x3C, 0x08}};

// Every table starts with QueryInterface, AddRef and Release.
struct Object;
struct UnknownOps {
    Status(HOST_CALL* QueryInterface)(Object* self, const Guid* iid, void** out);
    uint32_t(HOST_CALL* AddRef)(Object* self);
    uint32_t(HOST_CALL* Release)(Object* self);
};

struct ValueOps {
    UnknownOps unknown;
    Status(HOST_CALL* StringToSymbol)(Object* self, const char* text, int32_t* out);  // 3
    Slot slot4, slot5, slot6;
    Status(HOST_CALL* ReleaseValue)(Object* self, Value* value);  // 7
    Slot slot8, slot9;
    Status(HOST_CALL* ValueToFloat)(Object* self, const Value* value, double* out);  // 10
    Slot slot11, slot12, slot13, slot14, slot15, slot16;
    Status(HOST_CALL* IntegerToValue)(Object* self, int32_t number, Value* out);  // 17
    Status(HOST_CALL* SymbolToValue)(Object* self, int32_t symbol, Value* out);   // 18
    Status(HOST_CALL* FloatToValue)(Object* self, double number, Value* out);     // 19
    Slot slot20, slot21;
    Status(HOST_CALL* PointToValue)(Object* self, const int32_t* point, Value* out);  // 22
};

struct ListOps {
    UnknownOps unknown;
    Status(HOST_CALL* NewList)(Object* self, Value* out);  // 3
    Status(HOST_CALL* AppendToList)(Object* self, Value* list, const Value* item);
    Slot slot5, slot6;
    Status(HOST_CALL* SetListItem)(Object* self, Value* list, int32_t index,
                                   const Value* item);  // 7
};

struct AllocatorOps {
    UnknownOps unknown;
    void*(HOST_CALL* Allocate)(Object* self, uint32_t size);
    void(HOST_CALL* Free)(Object* self, void* block);
};

struct Object {
    const void* ops;
};

struct ValueServices {
    const ValueOps* ops;
};
struct ListServices {
    const ListOps* ops;
};

// The instance record's header as the host lays it out: 24 bytes, the class's fields follow.
struct InstanceHeader {
    const UnknownOps* ops;
    void* word1;
    Object* hostServices;
    Object* allocator;
    void* word4;
    void* word5;
};
static_assert(sizeof(InstanceHeader) == 24, "the instance header is 24 bytes");

// The record given to Call.
struct CallRecord {
    uint32_t word0;
    uint32_t word1;
    int32_t methodNumber;
    Value result;
    uint32_t word5;
    const Value* arguments;
};
static_assert(offsetof(CallRecord, methodNumber) == 8, "method number at byte 8");
static_assert(offsetof(CallRecord, result) == 12, "result at byte 12");
static_assert(offsetof(CallRecord, arguments) == 24, "arguments at byte 24");

// What the benchmark needs of a host beyond its tables: its objects, values made and read the
// host's way, and its books.
class Host {
  public:
    // Every value operation counts its calls: one increment, paid alike by a dispatched call and
    // by its replay.
    enum Operation {
        StringToSymbolCall,
        ReleaseValueCall,
        ValueToFloatCall,
        IntegerToValueCall,
        SymbolToValueCall,
        FloatToValueCall,
        PointToValueCall,
        SetListItemCall,
        OperationCount
    };
    struct Misuse {
        const char* what;
        int32_t count;
    };

    virtual ~Host() = default;
    virtual const char* name() const = 0;
    virtual Object* hostServices() = 0;
    virtual Object* allocator() = 0;
    virtual ValueServices* values() = 0;
    virtual ListServices* lists() = 0;

    // A float as the host makes it for a script's call.
    virtual Value floatValue(double number) const = 0;
    // The float that `value` holds; false when it holds none.
    virtual bool floatOf(const Value& value, double& number) const = 0;
    // Items 1 and 2 of a point whose items are floats; false for anything else.
    virtual bool pointOf(const Value& value, double& h, double& v) const = 0;
    virtual bool isSymbol(const Value& value, const char* text) const = 0;

    // Host books: a leak or a stray call shows here.
    virtual int32_t liveBlocks() const = 0;
    virtual int32_t calls(Operation operation) const = 0;
    virtual void resetCalls() = 0;
    // Each kind of misuse the host looks for, with its count so far; a host that checks nothing
    // gives none.
    virtual std::vector<Misuse> misuse() const = 0;
};

}  // namespace hostabi
