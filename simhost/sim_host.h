// A simulated Director host: every host interface the plug-in uses, with real semantics,
// reference counts on every object, and failures that can be injected. Tests, benchmarks
// and the demo drive the plug-in through it exactly as the host would.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "simhost/host_numbers.h"
#include "simhost/module_exports.h"
#include "xtra/boundary/host_interfaces.h"

namespace sim {

// How the simulated host encodes its 8-byte values: a type word and a payload word. Integers
// and symbols are held in the payload; floats, strings, lists and points in a box that the
// payload numbers, counted by references.
enum class ValueType : uint32_t { Void = 0, Integer, Float, Symbol, String, List, Point };

constexpr Status StatusNotConvertible = static_cast<Status>(0x80040101u);
constexpr Status StatusNoInterface = static_cast<Status>(0x80004002u);
constexpr Status StatusRefused = static_cast<Status>(0x80040100u);

// A recorded PutEntry.
struct RegistryEntry {
    Guid classId;
    Guid interfaceId;
    int32_t typeCode;
    int32_t reserved;
    std::string key;
    std::vector<uint8_t> data;  // a 32-bit integer's 4 bytes, or a text with its zero byte
};

// The steps of the host's presentation chain, in the order the plug-in takes them, any of which
// a test can make fail.
enum class PresentationStep {
    Presentation,  // GetPresentation of the presentation services
    Window,        // GetPresentationWindow of the presentation
    NativeWindow,  // GetNativeWindow of the window
};

// An instance record made the way the host makes one.
struct Instance {
    InstanceRecord* record = nullptr;
    size_t object = 0;  // the host's book-keeping entry for the record's references
    DestroyOperation destroy = nullptr;
    int32_t size = 0;
};

class Host {
  public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // --- The interfaces, as the plug-in receives them.
    HostServices* hostServices();
    Allocator* allocator();
    RegistrationCache* registrationCache();
    // The object QueryInterface hands out for a service, null for an unknown id.
    void* service(const Guid& iid) const;
    // Withheld services make QueryInterface answer StatusNoInterface with a null pointer.
    void withhold(const Guid& iid, bool withheld = true);

    // --- Allocation: every block is tracked; failures can be injected.
    void failAllocations(int count, int after = 0);  // the next `count` after `after` fail
    std::vector<uint32_t> allocationSizes() const;   // every size asked for, in order
    size_t liveBlocks() const;
    void freeBlock(void* block);     // what a module handed over, given back to the allocator
    bool freedUnknownBlock() const;  // Free of a pointer the allocator never gave out

    // --- Host information and registration.
    void setInfo(int32_t selector, const std::string& text);
    // Raw 64-byte answer for a selector, to hand the plug-in unterminated texts.
    void setInfoBytes(int32_t selector, const std::vector<char>& bytes);
    void failInfo(int32_t selector, Status status);
    // (selector, size) of every GetInfoString asked, in order.
    const std::vector<std::pair<int32_t, int32_t>>& infoRequests() const;
    void failDictionary(const Guid& interfaceId, Status status, bool returnNull = false);
    void failPutEntry(const std::string& key, Status status);
    // Lifts every failure of the three above: the host answers as it would without them.
    void endRegistrationFailures();
    const std::vector<RegistryEntry>& registry() const;
    // The context passed with each GetRegistrationDictionary, in order.
    const std::vector<int32_t>& dictionaryRequests() const;

    // --- The presentation window (the stage). On Windows a real window of that size.
    void setStageSize(int32_t width, int32_t height);
    void setStageWindowKind(int32_t kind);
    void failStageRect(bool fail);  // the window rectangle cannot be read
    // GetNativeWindow writes `bytes` bytes of filler from the record's start before the kind
    // and the handle, as a host whose record is larger than the two words the plug-in reads.
    void fillNativeRecord(size_t bytes);
    void failPresentationStep(PresentationStep step, Status status);  // 0: the step succeeds
#if defined(_WIN32)
    // --- A borrowed stage (used by the demo presentation): the native-window record then
    // carries this window, whose size is the stage's; the host neither moves, resizes nor
    // destroys it. Null gives the host back its own window. Defined in sim_stage_win32.cpp.
    void setStageWindow(void* window);
#endif

    // --- Values.
    void failNewLists(int count);  // the next `count` NewList calls fail
    // A refused ValueToFloat first writes a NaN into its output, as a host that converts in
    // place may; off, the output is left alone.
    void writeOnRefusal(bool write);
    HostValue makeInteger(int32_t number);
    HostValue makeFloat(double number);
    HostValue makeSymbol(const std::string& text);
    HostValue makeString(const std::string& text);
    HostValue makeList(const std::vector<HostValue>& items);  // items are copied with a ref
    void release(HostValue& value);  // gives back the value's reference, leaves it Void

    ValueType typeOf(const HostValue& value) const;
    int32_t integerOf(const HostValue& value) const;
    double floatOf(const HostValue& value) const;
    std::string symbolOf(const HostValue& value) const;  // text of a symbol value
    std::string stringOf(const HostValue& value) const;
    std::vector<HostValue> itemsOf(const HostValue& value) const;  // list or point items
    // Whether the value is a list or point (`type`) of exactly `count` floats; when it is and
    // `out` is set, the floats are written there, else `out` is left alone.
    bool floatsOf(const HostValue& value, ValueType type, size_t count,
                  double* out = nullptr) const;
    bool isSymbol(const HostValue& value, const std::string& text) const;
    size_t liveBoxes() const;  // floats, strings, lists and points not yet released
    std::string describe(const HostValue& value) const;

    // --- Instances, created as the host does: record, create operation, then interface. No
    // instance (a null record) when the module has no form for the class or its create
    // operation fails.
    Instance createInstance(const ModuleExports& module, const Guid& classId);
    // Runs destroy and frees the record. False, and nothing done, while anyone but the host
    // still holds a reference on it.
    bool destroyInstance(Instance& instance);
    int64_t instanceReferences(const Instance& instance) const;  // the host's own included

    // --- Reference accounting over every object the host made.
    int64_t outstandingReferences() const;  // references held beyond each object's own
    bool anyOverReleased() const;
    std::string referenceReport() const;

    // Counters of the host operations the plug-in called, by name ("ValueToFloat", ...).
    int64_t callCount(const std::string& operation) const;
    // The objects released since the last resetCallCounts, by name ("WindowObject", ...), one
    // entry per Release call (instance records included, as "instance record").
    const std::vector<std::string>& releaseOrder() const;
    void resetCallCounts();

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace sim
