#include "bench/shipped/lean_host.h"

#include <cstdlib>
#include <cstring>

#include "bench/shipped/host_common.h"

namespace lean {

using namespace hostabi;

namespace {

Books books;
PointSlot pointTable[PointSlots];
uint32_t nextPoint = 0;
int32_t* const callCount = books.calls;

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

const ValueOps valueOps = valueTable({stringToSymbol, releaseValue, valueToFloat, integerToValue,
                                      symbolToValue, floatToValue, pointToValue});
const ListOps listOps = listTable(setListItem);

}  // namespace

LeanHost::LeanHost() : CountingHost(valueOps, listOps, books) {}

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

}  // namespace lean
