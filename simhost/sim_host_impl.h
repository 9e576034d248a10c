// The simulated host's inner state, shared by its source files and by nobody else.
#pragma once

#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "simhost/sim_host.h"

namespace sim {

// Every object the host hands out starts with its operation table, as the plug-in expects,
// followed by the host's own book-keeping.
struct SimObject {
    const void* ops;
    Host::Impl* host;
    size_t id;
};

// An operation table laid out as the host numbers its slots: entry n is the operation a module
// reaches as slot n. The numbers are written where each table is built, from the host's own
// tables, not from the module's declarations. A slot the host does not offer holds null, so a
// module that calls any other slot than the host's stops there.
using AnyOperation = void (*)();
struct OperationTable {
    static constexpr size_t Slots = 32;  // beyond the last slot of every table
    AnyOperation slots[Slots];
};

struct SlotEntry {
    size_t slot;
    AnyOperation operation;
};
template <typename Operation>
SlotEntry slot(size_t number, Operation operation) {
    return SlotEntry{number, reinterpret_cast<AnyOperation>(operation)};
}
OperationTable operationTable(std::initializer_list<SlotEntry> entries);

struct ObjectBook {
    std::string name;
    int64_t references = 1;  // the host's own creation reference
    int64_t addRefs = 0;
    int64_t releases = 0;
    bool overReleased = false;
    bool alive = true;
};

struct Box {
    ValueType type = ValueType::Void;
    double number = 0.0;
    std::string text;
    std::vector<HostValue> items;
    int64_t references = 0;
};

// The host operations that the simulated host counts, each once: the enumerator and the name
// that callCount answers to are both made from this list.
#define SIM_HOST_OPERATIONS(X)   \
    X(StringToSymbol)            \
    X(ReleaseValue)              \
    X(ValueToFloat)              \
    X(IntegerToValue)            \
    X(SymbolToValue)             \
    X(FloatToValue)              \
    X(PointToValue)              \
    X(NewList)                   \
    X(AppendToList)              \
    X(SetListItem)               \
    X(Allocate)                  \
    X(Free)                      \
    X(GetInfoString)             \
    X(GetRegistrationDictionary) \
    X(PutEntry)                  \
    X(GetPresentation)           \
    X(GetPresentationWindow)     \
    X(GetNativeWindow)           \
    X(QueryInterface)

enum class Op : size_t {
#define SIM_OPERATION_ENUMERATOR(name) name,
    SIM_HOST_OPERATIONS(SIM_OPERATION_ENUMERATOR)
#undef SIM_OPERATION_ENUMERATOR
        Count
};

inline constexpr const char* opNames[] = {
#define SIM_OPERATION_NAME(name) #name,
    SIM_HOST_OPERATIONS(SIM_OPERATION_NAME)
#undef SIM_OPERATION_NAME
};

struct StageWindow;  // per platform: a real window on Windows, a stand-in elsewhere

struct Host::Impl {
    Impl();
    ~Impl();

    // Objects.
    std::vector<ObjectBook> books;
    std::vector<std::unique_ptr<SimObject>> objects;
    SimObject* makeObject(const OperationTable& table, const std::string& name);
    uint32_t addRef(size_t id);
    uint32_t release(size_t id);
    void count(Op op) { ++calls[static_cast<size_t>(op)]; }
    std::array<int64_t, static_cast<size_t>(Op::Count)> calls{};
    std::vector<std::string> releases;  // object names, one per Release, in call order

    SimObject* hostServices = nullptr;
    SimObject* allocator = nullptr;
    SimObject* valueServices = nullptr;
    SimObject* listServices = nullptr;
    SimObject* auxServices = nullptr;
    SimObject* presentationServices = nullptr;
    SimObject* hostInfo = nullptr;
    SimObject* registrationCache = nullptr;
    SimObject* presentation = nullptr;
    SimObject* window = nullptr;
    std::vector<Guid> withheld;
    bool isWithheld(const Guid& iid) const;
    SimObject* serviceOf(const Guid& iid) const;  // null for an id the host does not know

    // Allocation.
    std::map<void*, uint32_t> blocks;
    std::vector<uint32_t> allocationSizes;
    int allocationsBeforeFailure = 0;
    int allocationFailures = 0;
    bool freedUnknown = false;

    // Host information and registration.
    std::map<int32_t, std::vector<char>> info;
    std::map<int32_t, Status> infoFailures;
    std::vector<std::pair<int32_t, int32_t>> infoRequests;  // (selector, size), in order
    struct DictionaryFailure {
        Status status;
        bool returnNull;
    };
    std::vector<std::pair<Guid, DictionaryFailure>> dictionaryFailures;
    std::map<std::string, Status> putFailures;
    std::vector<RegistryEntry> registry;
    std::vector<std::pair<std::pair<Guid, Guid>, SimObject*>> dictionaries;
    std::vector<int32_t> dictionaryContexts;  // the context of each request, in order

    // Stage.
    int32_t stageWidth = 800;
    int32_t stageHeight = 600;
    int32_t stageKind = NativeWindowKind;
    bool stageRectFails = false;
    size_t nativeRecordFill = 0;
    std::map<PresentationStep, Status> presentationFailures;  // 0 or absent: the step succeeds
    Status presentationFailure(PresentationStep step) const {
        auto found = presentationFailures.find(step);
        return found != presentationFailures.end() ? found->second : StatusOk;
    }
    StageWindow* stage = nullptr;  // made on first use
    void* stageHandle();           // the handle a native-window record carries

    // Values.
    std::vector<Box> boxes;
    std::vector<size_t> freeBoxes;
    std::map<std::string, Symbol> symbolIds;
    std::vector<std::string> symbolTexts;  // index = symbol id - 1
    int newListFailures = 0;
    bool writeOnRefusal = false;
    HostValue box(Box&& contents);
    Box* boxOf(const HostValue& value);
    const Box* boxOf(const HostValue& value) const;
    void retain(const HostValue& value);
    void releaseValue(HostValue& value);
    Symbol intern(const std::string& text);
};

// Per-platform stage window (sim_stage_win32.cpp / sim_stage_standin.cpp).
StageWindow* makeStageWindow();
void resizeStageWindow(StageWindow& window, int32_t width, int32_t height, bool readable);
void* stageWindowHandle(StageWindow& window);
void destroyStageWindow(StageWindow* window);

inline Host::Impl& hostOf(const void* self) {
    return *static_cast<const SimObject*>(self)->host;
}
inline size_t idOf(const void* self) {
    return static_cast<const SimObject*>(self)->id;
}

// The tables of sim_values.cpp.
const OperationTable& valueServicesTable();
const OperationTable& listServicesTable();

template <typename Self>
uint32_t XTRA_CALL objectAddRef(Self* self) {
    return hostOf(self).addRef(idOf(self));
}
template <typename Self>
uint32_t XTRA_CALL objectRelease(Self* self) {
    return hostOf(self).release(idOf(self));
}
template <typename Self>
Status XTRA_CALL noInterfaces(Self* self, const Guid*, void** out) {
    hostOf(self).count(Op::QueryInterface);
    if (out != nullptr) {
        *out = nullptr;
    }
    return StatusNoInterface;
}

// A host object's table: QueryInterface, AddRef and Release in slots 0, 1 and 2, then `rest`.
template <typename Self>
OperationTable hostTable(std::initializer_list<SlotEntry> rest,
                         Status(XTRA_CALL* query)(Self*, const Guid*,
                                                  void**) = noInterfaces<Self>) {
    OperationTable table =
        operationTable({slot(0, query), slot(1, objectAddRef<Self>), slot(2, objectRelease<Self>)});
    for (const SlotEntry& entry : rest) {
        table.slots[entry.slot] = entry.operation;
    }
    return table;
}

inline ValueType typeWord(const HostValue& value) {
    return static_cast<ValueType>(value.opaque[0]);
}
inline HostValue encode(ValueType type, uint32_t payload) {
    return HostValue{{static_cast<uint32_t>(type), payload}};
}

}  // namespace sim
