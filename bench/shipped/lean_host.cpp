#include "bench/shipped/lean_host.h"

#include <cstdlib>
#include <cstring>

#include "bench/shipped/host_common.h"

namespace lean {

using namespace hostabi;

namespace {

LeanHost* theHost = nullptr;
int32_t liveBlockCount = 0;
PointSlot pointTable[PointSlots];
uint32_t nextPoint = 0;
int32_t callCount[Host::OperationCount];

Status HOST_CALL serviceQuery(Object*, const Guid* iid, void** out) {
    return answerServiceQuery(*theHost, iid, out);
}

void* HOST_CALL allocate(Object*, uint32_t size) {
    ++liveBlockCount;
    return std::calloc(1, size);
}
void HOST_CALL freeBlock(Object*, void* block) {
    --liveBlockCount;
    std::free(block);
}

// ---- Value operations: the ones a projection makes are a handful of moves each.
__attribute__((noinline)) Status HOST_CALL stringToSymbol(Object*, const char* text, int32_t* out) {
    ++callCount[Host::StringToSymbolCall];
    *out = symbolNumber(text);
    return 0;
}

__attribute__((noinline)) Status HOST_CALL releaseValue(Object*, Value*) {
    ++callCount[Host::ReleaseValueCall];
    return 0;
}

// A float is the record's own 8 bytes, read as one 8-byte value.
__attribute__((noinline)) Status HOST_CALL valueToFloat(Object*, const Value* value, double* out) {
    ++callCount[Host::ValueToFloatCall];
    double number;
    std::memcpy(&number, value, sizeof number);
    *out = number;
    return 0;
}

__attribute__((noinline)) Status HOST_CALL integerToValue(Object*, int32_t number, Value* out) {
    ++callCount[Host::IntegerToValueCall];
    out->word[0] = static_cast<uint32_t>(number);
    out->word[1] = 0;
    return 0;
}

__attribute__((noinline)) Status HOST_CALL symbolToValue(Object*, int32_t symbol, Value* out) {
    ++callCount[Host::SymbolToValueCall];
    out->word[0] = static_cast<uint32_t>(symbol);
    out->word[1] = SymbolTag;
    return 0;
}

__attribute__((noinline)) Status HOST_CALL floatToValue(Object*, double number, Value* out) {
    ++callCount[Host::FloatToValueCall];
    std::memcpy(out, &number, sizeof number);
    return 0;
}

// The point's two coordinates are not kept: SetListItem replaces both items.
__attribute__((noinline)) Status HOST_CALL pointToValue(Object*, const int32_t*, Value* out) {
    ++callCount[Host::PointToValueCall];
    const uint32_t slot = nextPoint;
    nextPoint = (slot + 1) % PointSlots;
    out->word[0] = slot;
    out->word[1] = PointTag;
    return 0;
}

__attribute__((noinline)) Status HOST_CALL setListItem(Object*, Value* list, int32_t index,
                                                       const Value* item) {
    ++callCount[Host::SetListItemCall];
    double number;
    std::memcpy(&number, item, sizeof number);
    std::memcpy(&pointTable[list->word[0] % PointSlots].item[(index - 1) & 1], &number,
                sizeof number);
    return 0;
}

Status HOST_CALL noList(Object*, Value*) {
    return 1;
}
Status HOST_CALL noAppend(Object*, Value*, const Value*) {
    return 1;
}

const UnknownOps serviceOps = {serviceQuery, uncountedAddRef, uncountedRelease};
const AllocatorOps allocatorOps = {
    {noInterface, uncountedAddRef, uncountedRelease}, allocate, freeBlock};
const ValueOps valueOps = {{noInterface, uncountedAddRef, uncountedRelease},
                           stringToSymbol,
                           nullptr,
                           nullptr,
                           nullptr,
                           releaseValue,
                           nullptr,
                           nullptr,
                           valueToFloat,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           nullptr,
                           integerToValue,
                           symbolToValue,
                           floatToValue,
                           nullptr,
                           nullptr,
                           pointToValue};
const ListOps listOps = {{noInterface, uncountedAddRef, uncountedRelease},
                         noList,
                         noAppend,
                         nullptr,
                         nullptr,
                         setListItem};

}  // namespace

LeanHost::LeanHost()
    : hostServices_{&serviceOps},
      allocator_{&allocatorOps},
      values_{&valueOps},
      lists_{&listOps},
      aux_{&serviceOps} {
    theHost = this;
}

Value LeanHost::floatValue(double number) const {
    Value value;
    std::memcpy(&value, &number, sizeof number);
    return value;
}

bool LeanHost::floatOf(const Value& value, double& number) const {
    std::memcpy(&number, &value, sizeof number);
    return true;
}

bool LeanHost::pointOf(const Value& value, double& h, double& v) const {
    if (value.word[1] != PointTag) {
        return false;
    }
    const PointSlot& point = pointTable[value.word[0] % PointSlots];
    return floatOf(point.item[0], h) && floatOf(point.item[1], v);
}

bool LeanHost::isSymbol(const Value& value, const char* text) const {
    return value.word[1] == SymbolTag && value.word[0] == static_cast<uint32_t>(symbolNumber(text));
}

int32_t LeanHost::liveBlocks() const {
    return liveBlockCount;
}

int32_t LeanHost::calls(Operation operation) const {
    return callCount[operation];
}

void LeanHost::resetCalls() {
    for (int32_t& count : callCount) {
        count = 0;
    }
}

}  // namespace lean
