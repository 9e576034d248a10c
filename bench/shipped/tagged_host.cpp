#include "bench/shipped/tagged_host.h"

#include <cstdlib>
#include <cstring>

#include "bench/shipped/host_common.h"

namespace tagged {

using namespace hostabi;

namespace {

// The host's refusals: not a number, and a record that is no value of this host.
constexpr Status NotANumber = static_cast<Status>(0x80040101u);
constexpr Status NotAValue = static_cast<Status>(0x80040102u);
constexpr Status NoPointLeft = static_cast<Status>(0x80040103u);

// The one NaN a float value holds.
constexpr uint32_t QuietNanHigh = 0x7FF80000u;

Books books;
int32_t* const callCount = books.calls;

PointTable points;

// A value's words are read and written one at a time, as 4-byte accesses, high (tag) word first
// on reading: volatile keeps the compiler from joining them into one 8-byte access, which is
// what a host written this way would not do either.
using Word = uint32_t __attribute__((may_alias));

inline uint32_t highWord(const void* record) {
    return static_cast<const volatile Word*>(record)[1];
}
inline uint32_t lowWord(const void* record) {
    return static_cast<const volatile Word*>(record)[0];
}
inline void putWords(void* record, uint32_t low, uint32_t high) {
    volatile Word* words = static_cast<volatile Word*>(record);
    words[0] = low;
    words[1] = high;
}

inline bool isTag(uint32_t high) {
    return (high & TagMask) == TagBase;
}
inline bool isKnownTag(uint32_t high) {
    return high == VoidTag || high == IntegerTag || high == SymbolTag || high == PointTag;
}

// The double's words, its NaNs made the one quiet NaN.
inline void floatWords(double number, uint32_t& low, uint32_t& high) {
    uint32_t words[2];
    std::memcpy(words, &number, sizeof number);
    low = words[0];
    high = words[1];
    if ((high & 0x7FF00000u) == 0x7FF00000u && ((high & 0x000FFFFFu) != 0 || low != 0)) {
        low = 0;
        high = QuietNanHigh;
    }
}

// ---- Value operations.
__attribute__((noinline)) Status HOST_CALL stringToSymbol(Object*, const char* text, int32_t* out) {
    ++callCount[Host::StringToSymbolCall];
    *out = symbolNumber(text);
    return 0;
}

// Gives a point's slot back; any value is then overwritten with void. Releasing void is
// allowed (a record released twice holds void the second time).
__attribute__((noinline)) Status HOST_CALL releaseValue(Object*, Value* value) {
    ++callCount[Host::ReleaseValueCall];
    const uint32_t high = highWord(value);
    Status status = 0;
    if (high == PointTag) {
        const uint32_t low = lowWord(value);
        PointTable::Slot* point = points.taken(low);
        if (point != nullptr) {
            points.giveBack(low);
        } else {
            status = NotAValue;
        }
    } else if (isTag(high) && !isKnownTag(high)) {
        points.count(StrayRecord);
        status = NotAValue;
    }
    putWords(value, 0, VoidTag);
    return status;
}

// A float's words are copied as they are, an integer converted; anything else is refused.
__attribute__((noinline)) Status HOST_CALL valueToFloat(Object*, const Value* value, double* out) {
    ++callCount[Host::ValueToFloatCall];
    const uint32_t high = highWord(value);
    if (!isTag(high)) {
        putWords(out, lowWord(value), high);
        return 0;
    }
    if (high == IntegerTag) {
        uint32_t low, converted;
        floatWords(static_cast<double>(static_cast<int32_t>(lowWord(value))), low, converted);
        putWords(out, low, converted);
        return 0;
    }
    if (high == PointTag) {
        return points.taken(lowWord(value)) != nullptr ? NotANumber : NotAValue;
    }
    if (!isKnownTag(high)) {
        points.count(StrayRecord);
        return NotAValue;
    }
    return NotANumber;
}

__attribute__((noinline)) Status HOST_CALL integerToValue(Object*, int32_t number, Value* out) {
    ++callCount[Host::IntegerToValueCall];
    putWords(out, static_cast<uint32_t>(number), IntegerTag);
    return 0;
}

__attribute__((noinline)) Status HOST_CALL symbolToValue(Object*, int32_t symbol, Value* out) {
    ++callCount[Host::SymbolToValueCall];
    putWords(out, static_cast<uint32_t>(symbol), SymbolTag);
    return 0;
}

__attribute__((noinline)) Status HOST_CALL floatToValue(Object*, double number, Value* out) {
    ++callCount[Host::FloatToValueCall];
    uint32_t low, high;
    floatWords(number, low, high);
    putWords(out, low, high);
    return 0;
}

// A slot from the free list, its items the point's two coordinates as integers.
__attribute__((noinline)) Status HOST_CALL pointToValue(Object*, const int32_t* point, Value* out) {
    ++callCount[Host::PointToValueCall];
    const uint32_t slot = points.take();
    if (slot >= PointTable::Slots) {
        putWords(out, 0, VoidTag);
        return NoPointLeft;
    }
    PointTable::Slot& taken = points.at(slot);
    putWords(&taken.item[0], static_cast<uint32_t>(point[0]), IntegerTag);
    putWords(&taken.item[1], static_cast<uint32_t>(point[1]), IntegerTag);
    putWords(out, slot, PointTag);
    return 0;
}

__attribute__((noinline)) Status HOST_CALL setListItem(Object*, Value* list, int32_t index,
                                                       const Value* item) {
    ++callCount[Host::SetListItemCall];
    const uint32_t listHigh = highWord(list);
    if (listHigh != PointTag) {
        points.count(isTag(listHigh) && !isKnownTag(listHigh) ? StrayRecord : NotAPoint);
        return NotAValue;
    }
    PointTable::Slot* point = points.taken(lowWord(list));
    if (point == nullptr) {
        return NotAValue;
    }
    if (index != 1 && index != 2) {
        points.count(ItemOutOfRange);
        return NotAValue;
    }
    const uint32_t itemHigh = highWord(item);
    if (isTag(itemHigh) && itemHigh != IntegerTag) {
        points.count(isKnownTag(itemHigh) ? ItemNotNumber : StrayRecord);
        return NotANumber;
    }
    putWords(&point->item[index - 1], lowWord(item), itemHigh);
    return 0;
}

const ValueOps valueOps = valueTable({stringToSymbol, releaseValue, valueToFloat, integerToValue,
                                      symbolToValue, floatToValue, pointToValue});
const ListOps listOps = listTable(setListItem);

}  // namespace

TaggedHost::TaggedHost() : CountingHost(valueOps, listOps, books) {}

Value TaggedHost::floatValue(double number) const {
    Value value;
    floatWords(number, value.word[0], value.word[1]);
    return value;
}

bool TaggedHost::floatOf(const Value& value, double& number) const {
    if (isTag(value.word[1])) {
        return false;
    }
    std::memcpy(&number, &value, sizeof number);
    return true;
}

bool TaggedHost::pointOf(const Value& value, double& h, double& v) const {
    const PointTable::Slot* point =
        value.word[1] == PointTag ? points.look(value.word[0]) : nullptr;
    return point != nullptr && floatOf(point->item[0], h) && floatOf(point->item[1], v);
}

bool TaggedHost::isSymbol(const Value& value, const char* text) const {
    return value.word[1] == SymbolTag && value.word[0] == static_cast<uint32_t>(symbolNumber(text));
}

std::vector<Host::Misuse> TaggedHost::misuse() const {
    return points.misuse();
}

}  // namespace tagged
