// What the benchmark hosts do alike: objects that count no references (every object lives as
// long as the process), the answer to a request for a service, the numbering of symbols, the
// books (blocks allocated, calls made) and the operation tables laid out by slot.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/shipped/host_abi.h"

namespace hostabi {

uint32_t HOST_CALL uncountedAddRef(Object* self);
uint32_t HOST_CALL uncountedRelease(Object* self);
// QueryInterface of every object but HostServices: no interfaces.
Status HOST_CALL noInterface(Object* self, const Guid* iid, void** out);

// Symbols are numbered by their place in one list of the texts the module uses; an unknown text
// gets the number after them.
int32_t symbolNumber(const char* text);

// What a host keeps count of: blocks allocated and not freed, and calls of each value operation.
struct Books {
    int32_t liveBlocks = 0;
    int32_t calls[Host::OperationCount] = {};
};

// The value operations a host implements; the table puts them in their slots.
struct ValueFunctions {
    decltype(ValueOps::StringToSymbol) stringToSymbol;
    decltype(ValueOps::ReleaseValue) releaseValue;
    decltype(ValueOps::ValueToFloat) valueToFloat;
    decltype(ValueOps::IntegerToValue) integerToValue;
    decltype(ValueOps::SymbolToValue) symbolToValue;
    decltype(ValueOps::FloatToValue) floatToValue;
    decltype(ValueOps::PointToValue) pointToValue;
};
ValueOps valueTable(const ValueFunctions& functions);
// A list table whose NewList and AppendToList refuse: a projection makes points, not lists.
ListOps listTable(decltype(ListOps::SetListItem) setListItem);

// The misuse the checking hosts count, never fatal.
enum MisuseKind {
    StrayRecord,      // a record that is no value of the host, or a point already given back
    NotAPoint,        // SetListItem on a value that is not a point
    ItemOutOfRange,   // SetListItem with an index other than 1 or 2
    ItemNotNumber,    // SetListItem with an item that is not a number
    PointsExhausted,  // PointToValue with every slot taken
    MisuseKinds
};

// The points of a checking host: slots handed out through a free list, each holding two items,
// and the misuse counted on them.
class PointTable {
  public:
    static constexpr uint32_t Slots = 64;
    struct Slot {
        Value item[2];
        bool taken;
        uint32_t nextFree;
    };

    PointTable();
    // A free slot's number, now taken; Slots (counted) when none is left.
    uint32_t take() {
        const uint32_t slot = firstFree_;
        if (slot >= Slots) {
            count(PointsExhausted);
            return Slots;
        }
        firstFree_ = slots_[slot].nextFree;
        slots_[slot].taken = true;
        ++taken_;
        return slot;
    }
    void giveBack(uint32_t slot) {
        slots_[slot].taken = false;
        slots_[slot].nextFree = firstFree_;
        firstFree_ = slot;
        --taken_;
    }
    // The slot of a point still taken, or null, counted as a stray record.
    Slot* taken(uint32_t slot) {
        if (slot < Slots && slots_[slot].taken) {
            return &slots_[slot];
        }
        count(StrayRecord);
        return nullptr;
    }
    Slot& at(uint32_t slot) { return slots_[slot]; }
    // A taken slot for the benchmark's reading: nothing counted.
    const Slot* look(uint32_t slot) const {
        return slot < Slots && slots_[slot].taken ? &slots_[slot] : nullptr;
    }
    void count(MisuseKind kind) { ++misuse_[kind]; }
    // Every kind with its count, and the points taken and not given back so far.
    std::vector<Host::Misuse> misuse() const;

  private:
    Slot slots_[Slots];
    uint32_t firstFree_ = 0;
    int32_t taken_ = 0;
    int32_t misuse_[MisuseKinds] = {};
};

// A host's objects and books: HostServices answers for the value, list and aux services (the
// aux service is held and released, never called), the allocator counts its blocks. The tables
// must outlive the host.
class CountingHost : public Host {
  public:
    Object* hostServices() override { return &services_.object; }
    Object* allocator() override { return &allocator_.object; }
    ValueServices* values() override { return reinterpret_cast<ValueServices*>(&values_); }
    ListServices* lists() override { return reinterpret_cast<ListServices*>(&lists_); }
    int32_t liveBlocks() const override { return books_.liveBlocks; }
    int32_t calls(Operation operation) const override { return books_.calls[operation]; }
    void resetCalls() override;

    class Allocation;  // the allocator's operations

    // An object of the host, as its operations are handed it.
    struct HostObject {
        Object object;
        CountingHost* host;
    };

  protected:
    CountingHost(const ValueOps& values, const ListOps& lists, Books& books);

  private:
    HostObject services_;
    HostObject allocator_;
    Object values_;
    Object lists_;
    Books& books_;
};

}  // namespace hostabi
