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

TaggedHost* theHost = nullptr;
int32_t liveBlockCount = 0;
int32_t callCount[Host::OperationCount];

enum MisuseKind {
    StrayRecord,      // a record that is no value of this host, or a point already given back
    NotAPoint,        // SetListItem on a value that is not a point
    ItemOutOfRange,   // SetListItem with an index other than 1 or 2
    ItemNotNumber,    // SetListItem with an item that is not a number
    PointsExhausted,  // PointToValue with every slot taken
    MisuseKinds
};
const char* const misuseNames[MisuseKinds] = {
    "a stray record or a point given back before", "SetListItem on a value that is no point",
    "SetListItem with an index other than 1 or 2", "SetListItem with an item that is no number",
    "PointToValue with every point taken"};
int32_t misuseCount[MisuseKinds];

// A point is a slot of this table, its two items values of this host. Free slots are chained.
constexpr uint32_t PointSlots = 64;
struct PointSlot {
    Value item[2];
    bool taken;
    uint32_t nextFree;
};
PointSlot pointTable[PointSlots];
uint32_t firstFree = 0;
int32_t pointsTaken = 0;

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

// The slot of a point value still taken, or null (counted as a stray record).
PointSlot* takenPoint(uint32_t low) {
    if (low < PointSlots && pointTable[low].taken) {
        return &pointTable[low];
    }
    ++misuseCount[StrayRecord];
    return nullptr;
}

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
        PointSlot* point = takenPoint(low);
        if (point != nullptr) {
            point->taken = false;
            point->nextFree = firstFree;
            firstFree = low;
            --pointsTaken;
        } else {
            status = NotAValue;
        }
    } else if (isTag(high) && !isKnownTag(high)) {
        ++misuseCount[StrayRecord];
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
        return takenPoint(lowWord(value)) != nullptr ? NotANumber : NotAValue;
    }
    if (!isKnownTag(high)) {
        ++misuseCount[StrayRecord];
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
    const uint32_t slot = firstFree;
    if (slot >= PointSlots) {
        ++misuseCount[PointsExhausted];
        putWords(out, 0, VoidTag);
        return NoPointLeft;
    }
    PointSlot& taken = pointTable[slot];
    firstFree = taken.nextFree;
    taken.taken = true;
    ++pointsTaken;
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
        ++misuseCount[isTag(listHigh) && !isKnownTag(listHigh) ? StrayRecord : NotAPoint];
        return NotAValue;
    }
    PointSlot* point = takenPoint(lowWord(list));
    if (point == nullptr) {
        return NotAValue;
    }
    if (index != 1 && index != 2) {
        ++misuseCount[ItemOutOfRange];
        return NotAValue;
    }
    const uint32_t itemHigh = highWord(item);
    if (isTag(itemHigh) && itemHigh != IntegerTag) {
        ++misuseCount[isKnownTag(itemHigh) ? ItemNotNumber : StrayRecord];
        return NotANumber;
    }
    putWords(&point->item[index - 1], lowWord(item), itemHigh);
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

TaggedHost::TaggedHost()
    : hostServices_{&serviceOps}, allocator_{&allocatorOps}, values_{&valueOps}, lists_{&listOps} {
    theHost = this;
    for (uint32_t slot = 0; slot < PointSlots; ++slot) {
        pointTable[slot].taken = false;
        pointTable[slot].nextFree = slot + 1;  // PointSlots ends the chain
    }
    firstFree = 0;
}

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
    if (value.word[1] != PointTag || value.word[0] >= PointSlots ||
        !pointTable[value.word[0]].taken) {
        return false;
    }
    const PointSlot& point = pointTable[value.word[0]];
    return floatOf(point.item[0], h) && floatOf(point.item[1], v);
}

bool TaggedHost::isSymbol(const Value& value, const char* text) const {
    return value.word[1] == SymbolTag && value.word[0] == static_cast<uint32_t>(symbolNumber(text));
}

int32_t TaggedHost::liveBlocks() const {
    return liveBlockCount;
}

int32_t TaggedHost::calls(Operation operation) const {
    return callCount[operation];
}

void TaggedHost::resetCalls() {
    for (int32_t& count : callCount) {
        count = 0;
    }
}

std::vector<Host::Misuse> TaggedHost::misuse() const {
    std::vector<Misuse> kinds;
    for (int kind = 0; kind < MisuseKinds; ++kind) {
        kinds.push_back({misuseNames[kind], misuseCount[kind]});
    }
    kinds.push_back({"points taken and never given back", pointsTaken});
    return kinds;
}

}  // namespace tagged
