// A host as lean as a host can be, for timing the shipped SCRIPT.x32 from outside: the host
// interfaces are declared here from the host's side, not taken from the module. A float value
// is the value record's own 8 bytes (the double itself), a point is a slot of a fixed table,
// nothing is allocated per value and releasing a value does nothing.
#pragma once

#include <cstddef>
#include <cstdint>

#define HOST_CALL __stdcall

namespace lean {

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

// A point value: a slot of this table, two items of 8 bytes each.
struct PointSlot {
    Value item[2];
};
constexpr uint32_t PointSlots = 64;
constexpr uint32_t PointTag = 0x7FF80000u | 0x0000BEEFu;
constexpr uint32_t SymbolTag = 0x7FF80000u | 0x00005EEDu;

// The host's objects. Only ValueServices, ListServices and AuxServices are offered; the
// presentation service is not, so "new" keeps the 800 x 600 stage's centre (400, 300).
class Host {
  public:
    Host();
    Object* hostServices() { return &hostServices_; }
    Object* allocator() { return &allocator_; }
    ValueServices* values() { return reinterpret_cast<ValueServices*>(&values_); }
    ListServices* lists() { return reinterpret_cast<ListServices*>(&lists_); }

    // Values as the host makes them for a script's call.
    static Value floatValue(double number);
    static double floatOf(const Value& value);
    const PointSlot& pointOf(const Value& value) const;
    bool isSymbol(const Value& value, const char* text) const;

    // Host books: a leak or a stray call shows here. Every value operation counts its calls
    // (one increment, paid alike by a dispatched call and by its replay).
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
    int32_t liveBlocks() const;
    int32_t calls(Operation operation) const;
    void resetCalls();

  private:
    Object hostServices_;
    Object allocator_;
    Object values_;
    Object lists_;
    Object aux_;
};

}  // namespace lean
