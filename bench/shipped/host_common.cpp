#include "bench/shipped/host_common.h"

#include <cstdlib>
#include <cstring>

namespace hostabi {

namespace {

const char* const symbolTexts[] = {"Ok", "errInvalidParameter", "errCouldNotCreateList",
                                   "errParamInvalid", "errLimitsInvalid"};
constexpr int32_t KnownSymbols = sizeof(symbolTexts) / sizeof(symbolTexts[0]);

CountingHost& hostOf(Object* self) {
    return *reinterpret_cast<CountingHost::HostObject*>(self)->host;
}

Status HOST_CALL serviceQuery(Object* self, const Guid* iid, void** out) {
    Host& host = hostOf(self);
    Object* answer = nullptr;
    if (std::memcmp(iid, &ValueServicesId, sizeof(Guid)) == 0) {
        answer = reinterpret_cast<Object*>(host.values());
    } else if (std::memcmp(iid, &ListServicesId, sizeof(Guid)) == 0) {
        answer = reinterpret_cast<Object*>(host.lists());
    } else if (std::memcmp(iid, &AuxServicesId, sizeof(Guid)) == 0) {
        answer = host.hostServices();
    }
    *out = answer;
    return answer != nullptr ? 0 : NoInterface;
}

Status HOST_CALL noList(Object*, Value*) {
    return 1;
}
Status HOST_CALL noAppend(Object*, Value*, const Value*) {
    return 1;
}

const UnknownOps serviceOps = {serviceQuery, uncountedAddRef, uncountedRelease};

}  // namespace

uint32_t HOST_CALL uncountedAddRef(Object*) {
    return 2;
}

uint32_t HOST_CALL uncountedRelease(Object*) {
    return 1;
}

Status HOST_CALL noInterface(Object*, const Guid*, void** out) {
    *out = nullptr;
    return NoInterface;
}

int32_t symbolNumber(const char* text) {
    int32_t symbol = 0;
    while (symbol < KnownSymbols && std::strcmp(symbolTexts[symbol], text) != 0) {
        ++symbol;
    }
    return symbol;
}

ValueOps valueTable(const ValueFunctions& f) {
    ValueOps table{};
    table.unknown = {noInterface, uncountedAddRef, uncountedRelease};
    table.StringToSymbol = f.stringToSymbol;
    table.ReleaseValue = f.releaseValue;
    table.ValueToFloat = f.valueToFloat;
    table.IntegerToValue = f.integerToValue;
    table.SymbolToValue = f.symbolToValue;
    table.FloatToValue = f.floatToValue;
    table.PointToValue = f.pointToValue;
    return table;
}

ListOps listTable(decltype(ListOps::SetListItem) setListItem) {
    ListOps table{};
    table.unknown = {noInterface, uncountedAddRef, uncountedRelease};
    table.NewList = noList;
    table.AppendToList = noAppend;
    table.SetListItem = setListItem;
    return table;
}

class CountingHost::Allocation {
  public:
    static void* HOST_CALL allocate(Object* self, uint32_t size) {
        ++hostOf(self).books_.liveBlocks;
        return std::calloc(1, size);
    }
    static void HOST_CALL free(Object* self, void* block) {
        --hostOf(self).books_.liveBlocks;
        std::free(block);
    }
};

namespace {
const AllocatorOps allocatorOps = {{noInterface, uncountedAddRef, uncountedRelease},
                                   CountingHost::Allocation::allocate,
                                   CountingHost::Allocation::free};
}  // namespace

CountingHost::CountingHost(const ValueOps& values, const ListOps& lists, Books& books)
    : services_{{&serviceOps}, this},
      allocator_{{&allocatorOps}, this},
      values_{&values},
      lists_{&lists},
      books_(books) {}

PointTable::PointTable() {
    for (uint32_t slot = 0; slot < Slots; ++slot) {
        slots_[slot].taken = false;
        slots_[slot].nextFree = slot + 1;  // Slots ends the chain
    }
}

std::vector<Host::Misuse> PointTable::misuse() const {
    static const char* const names[MisuseKinds] = {
        "a stray record or a point given back before", "SetListItem on a value that is no point",
        "SetListItem with an index other than 1 or 2", "SetListItem with an item that is no number",
        "PointToValue with every point taken"};
    std::vector<Host::Misuse> kinds;
    for (int kind = 0; kind < MisuseKinds; ++kind) {
        kinds.push_back({names[kind], misuse_[kind]});
    }
    kinds.push_back({"points taken and never given back", taken_});
    return kinds;
}

void CountingHost::resetCalls() {
    for (int32_t& count : books_.calls) {
        count = 0;
    }
}

}  // namespace hostabi
