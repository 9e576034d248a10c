#include "bench/shipped/boxed_host.h"

#include <emmintrin.h>

#include <cstring>

namespace boxed {

using namespace hostabi;

namespace {

// The host's refusals.
constexpr Status NotANumber = static_cast<Status>(0x80040201u);
constexpr Status NotAValue = static_cast<Status>(0x80040202u);
constexpr Status NoPointLeft = static_cast<Status>(0x80040203u);

constexpr uint32_t QuietNanHigh = 0x7FF80000u;

Books books;
int32_t* const callCount = books.calls;

PointTable points;

// A value held in a register: one 8-byte load, one 8-byte store.
inline __m128i load(const void* record) {
    return _mm_loadl_epi64(static_cast<const __m128i*>(record));
}
inline void store(void* record, __m128i word) {
    _mm_storel_epi64(static_cast<__m128i*>(record), word);
}
inline uint32_t upperOf(__m128i word) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_epi64(word, 32)));
}
inline uint32_t lowerOf(__m128i word) {
    return static_cast<uint32_t>(_mm_cvtsi128_si32(word));
}
inline __m128i boxed(uint32_t box, uint32_t payload) {
    return _mm_set_epi32(0, 0, static_cast<int32_t>(box), static_cast<int32_t>(payload));
}

inline bool isBoxed(uint32_t upper) {
    return (upper & BoxMask) == BoxBase;
}
inline bool isKnownBox(uint32_t upper) {
    return upper == VoidBox || upper == IntegerBox || upper == SymbolBox || upper == PointBox;
}

// The double as a value, its NaNs made the one quiet NaN.
inline __m128i floatWord(double number) {
    if (number != number) {
        return boxed(QuietNanHigh, 0);
    }
    return _mm_castpd_si128(_mm_set_sd(number));
}

// ---- Value operations.
__attribute__((noinline)) Status HOST_CALL stringToSymbol(Object*, const char* text, int32_t* out) {
    ++callCount[Host::StringToSymbolCall];
    *out = symbolNumber(text);
    return 0;
}

__attribute__((noinline)) Status HOST_CALL releaseValue(Object*, Value* value) {
    ++callCount[Host::ReleaseValueCall];
    const __m128i word = load(value);
    const uint32_t upper = upperOf(word);
    Status status = 0;
    if (upper == PointBox) {
        const uint32_t slot = lowerOf(word);
        PointTable::Slot* point = points.taken(slot);
        if (point != nullptr) {
            points.giveBack(slot);
        } else {
            status = NotAValue;
        }
    } else if (isBoxed(upper) && !isKnownBox(upper)) {
        points.count(StrayRecord);
        status = NotAValue;
    }
    store(value, boxed(VoidBox, 0));
    return status;
}

__attribute__((noinline)) Status HOST_CALL valueToFloat(Object*, const Value* value, double* out) {
    ++callCount[Host::ValueToFloatCall];
    const __m128i word = load(value);
    const uint32_t upper = upperOf(word);
    if (!isBoxed(upper)) {
        store(out, word);
        return 0;
    }
    if (upper == IntegerBox) {
        store(out, floatWord(static_cast<double>(static_cast<int32_t>(lowerOf(word)))));
        return 0;
    }
    if (upper == PointBox) {
        return points.taken(lowerOf(word)) != nullptr ? NotANumber : NotAValue;
    }
    if (!isKnownBox(upper)) {
        points.count(StrayRecord);
        return NotAValue;
    }
    return NotANumber;
}

__attribute__((noinline)) Status HOST_CALL integerToValue(Object*, int32_t number, Value* out) {
    ++callCount[Host::IntegerToValueCall];
    store(out, boxed(IntegerBox, static_cast<uint32_t>(number)));
    return 0;
}

__attribute__((noinline)) Status HOST_CALL symbolToValue(Object*, int32_t symbol, Value* out) {
    ++callCount[Host::SymbolToValueCall];
    store(out, boxed(SymbolBox, static_cast<uint32_t>(symbol)));
    return 0;
}

__attribute__((noinline)) Status HOST_CALL floatToValue(Object*, double number, Value* out) {
    ++callCount[Host::FloatToValueCall];
    store(out, floatWord(number));
    return 0;
}

// A slot from the free list; its items the record's two coordinates, boxed as integers.
__attribute__((noinline)) Status HOST_CALL pointToValue(Object*, const int32_t* point, Value* out) {
    ++callCount[Host::PointToValueCall];
    const uint32_t slot = points.take();
    if (slot >= PointTable::Slots) {
        store(out, boxed(VoidBox, 0));
        return NoPointLeft;
    }
    const __m128i coordinates = load(point);
    PointTable::Slot& taken = points.at(slot);
    store(&taken.item[0], boxed(IntegerBox, lowerOf(coordinates)));
    store(&taken.item[1], boxed(IntegerBox, upperOf(coordinates)));
    store(out, boxed(PointBox, slot));
    return 0;
}

__attribute__((noinline)) Status HOST_CALL setListItem(Object*, Value* list, int32_t index,
                                                       const Value* item) {
    ++callCount[Host::SetListItemCall];
    const __m128i listWord = load(list);
    const uint32_t listUpper = upperOf(listWord);
    if (listUpper != PointBox) {
        points.count(isBoxed(listUpper) && !isKnownBox(listUpper) ? StrayRecord : NotAPoint);
        return NotAValue;
    }
    PointTable::Slot* point = points.taken(lowerOf(listWord));
    if (point == nullptr) {
        return NotAValue;
    }
    if (index != 1 && index != 2) {
        points.count(ItemOutOfRange);
        return NotAValue;
    }
    const __m128i itemWord = load(item);
    const uint32_t itemUpper = upperOf(itemWord);
    if (isBoxed(itemUpper) && itemUpper != IntegerBox) {
        points.count(isKnownBox(itemUpper) ? ItemNotNumber : StrayRecord);
        return NotANumber;
    }
    store(&point->item[index - 1], itemWord);
    return 0;
}

const ValueOps valueOps = valueTable({stringToSymbol, releaseValue, valueToFloat, integerToValue,
                                      symbolToValue, floatToValue, pointToValue});
const ListOps listOps = listTable(setListItem);

}  // namespace

BoxedHost::BoxedHost() : CountingHost(valueOps, listOps, books) {}

Value BoxedHost::floatValue(double number) const {
    Value value;
    store(&value, floatWord(number));
    return value;
}

bool BoxedHost::floatOf(const Value& value, double& number) const {
    if (isBoxed(value.word[1])) {
        return false;
    }
    std::memcpy(&number, &value, sizeof number);
    return true;
}

bool BoxedHost::pointOf(const Value& value, double& h, double& v) const {
    const PointTable::Slot* point =
        value.word[1] == PointBox ? points.look(value.word[0]) : nullptr;
    return point != nullptr && floatOf(point->item[0], h) && floatOf(point->item[1], v);
}

bool BoxedHost::isSymbol(const Value& value, const char* text) const {
    return value.word[1] == SymbolBox && value.word[0] == static_cast<uint32_t>(symbolNumber(text));
}

std::vector<Host::Misuse> BoxedHost::misuse() const {
    return points.misuse();
}

}  // namespace boxed
