// A hostile host and script in one: libFuzzer's bytes become a sequence of host actions
// (cameras created with services withheld, allocations failing, interface objects taken and
// released in any order, registration with odd host texts) and script calls with any method
// number and any kind of argument. Every answer is checked against what the module promises;
// a broken promise traps, so libFuzzer reports it like a crash.
//
// Input format, read front to back (a byte past the end reads as 0):
//   op := opcode:u8 payload, with opcode % 12 selecting
//     0 create camera   flags:u8 (bit 0..3 withhold value, list, aux, presentation services;
//                        bit 4 fail the interface allocation; bit 5 skip "new";
//                        bit 6 ask for the registration interface instead)
//     1 call            camera:u8 (modulo the cameras: which; divided by 4: which interface)
//                       method args
//     2 AddRef          camera:u8 interface:u8
//     3 Release         camera:u8 interface:u8
//     4 destroy camera  camera:u8 (its references released first, in the order held)
//     5 more interface  camera:u8 (a second interface object on the same instance)
//     6 register        name:text version:text failures:u8 status:u8 context:u32 (failures
//                        bits 0..7: name, version, method dictionary, message table, null
//                        dictionary, load-control dictionary, no HostInfo, load-control entry;
//                        they last for this one Register)
//     7 alloc failures  count:u8 after:u8
//     8 list failures   count:u8
//     9 stage           what:u8 a:u16 b:u16 (what % 5: size a x b, window kind a, rectangle
//                        unreadable, a record filled to its 256th byte, a failing step)
//    10 class info      (none)
//    11 QueryInterface  camera:u8 (as for call) interface id:u8
//   method := b:u8; b < 0xC0: b % 27; b < 0xFF: one of the unusual numbers; 0xFF: u32
//   args := count:u8 (% 8) then per argument kind:u8 (% 8) and its payload:
//     0 integer i32 | 1 float from u64 bits | 2 special float u8 | 3 small float i8 |
//     4 symbol u8 | 5 string len:u8 bytes | 6 list n:u8 then n items (u8 kind, i8/u8) | 7 void
//   text := kind:u8: below the count of fixed texts (6 names, 7 versions) one of them;
//           otherwise len:u8 (% 65) raw bytes, with or without a terminating zero; 0 bytes is
//           an answer that reports success and writes nothing
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/camera_view.h"
#include "simhost/host_numbers.h"
#include "simhost/interface_ids.h"
#include "simhost/script_object.h"
#include "simhost/sim_host.h"

namespace {

// A broken promise: say which, then trap so libFuzzer keeps the input.
[[noreturn]] void violated(const char* what, int line) {
    std::fprintf(stderr, "camera_fuzzer: check failed at line %d: %s\n", line, what);
    __builtin_trap();
}
#define REQUIRE(condition)                  \
    do {                                    \
        if (!(condition)) {                 \
            violated(#condition, __LINE__); \
        }                                   \
    } while (0)

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool done() const { return position_ >= size_; }
    uint8_t byte() { return position_ < size_ ? data_[position_++] : 0; }
    uint16_t u16() {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | (byte() << 8));
    }
    uint32_t u32() {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            value |= static_cast<uint32_t>(byte()) << shift;
        }
        return value;
    }
    uint64_t u64() {
        const uint64_t low = u32();
        return low | (static_cast<uint64_t>(u32()) << 32);
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

const double specialFloats[] = {
    0.0,
    -0.0,
    std::numeric_limits<double>::quiet_NaN(),
    -std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::denorm_min(),
    std::numeric_limits<double>::min(),
    std::numeric_limits<double>::max(),
    -std::numeric_limits<double>::max(),
    std::numeric_limits<double>::epsilon(),
    1e300,
    -1e300,
    2147483647.0,
    2147483648.0,
    -2147483648.0,
    -2147483649.0,
    2147483647.5,
    -2147483648.5,
    4294967296.0,
    9007199254740993.0,
    1.0,
    -1.0,
    0.5,
    -0.5,
    1.0000000000000002,
    -1.0000000000000002,
    90.0,
    -90.0,
    180.0,
    -180.0,
    360.0,
    720.0,
    0.1,
    32768.0,
    1e-300,
    400.0,
    300.0,
};
constexpr size_t specialFloatCount = sizeof(specialFloats) / sizeof(specialFloats[0]);

const char* const symbolTexts[] = {"me", "Ok",     "errInvalidParameter", "errParamInvalid", "void",
                                   "",   "Orvanta"};

// Method numbers a careless or hostile host might send, beside 0..26.
const uint32_t unusualMethods[] = {27,          28,          64,          255,          256,
                                   0x10000010u, 0x7FFFFFFFu, 0x80000000u, 0x80000010u,  0xFFFFFFE5u,
                                   0xFFFFFFFFu, 0xFFFFFFFEu, 100000u,     1u << 31 | 1u};

const char* const fixedTexts[] = {"Director", "director", "Director ", "", "Directo", "DIRECTOR"};
const char* const fixedVersions[] = {"8.5.1", "6", "5.0", "10.0", "\x80", "", ":"};

// Elements each method reads, "me" included for the object methods; the host always passes
// at least this many, so an array this long makes any read beyond it visible to ASan.
int declaredElements(uint32_t method) {
    static const int counts[27] = {1, 1, 4, 1, 4, 1, 4, 2, 1, 2, 1, 2, 1, 2,
                                   1, 2, 4, 1, 1, 4, 1, 1, 3, 3, 1, 1, 1};
    return method <= 26 ? counts[method] : 1;
}

bool isGlobalHandler(uint32_t method) {
    return method >= 20 && method <= 26;
}

// The element where a method's first real argument sits.
int firstArgumentElement(uint32_t method) {
    return isGlobalHandler(method) ? 0 : 1;
}

const char* errorSymbolOf(uint32_t method) {
    switch (method) {
        case 1:
        case 3:
        case 5:
            return "errCouldNotCreateList";
        case 20:
        case 21:
        case 24:
        case 25:
        case 26:
            return "errParamInvalid";
        case 22:
        case 23:
            return "errLimitsInvalid";
        default:
            return "errInvalidParameter";
    }
}

bool isSetter(uint32_t method) {
    return method == 2 || method == 4 || method == 6 || method == 7 || method == 9 ||
           method == 11 || method == 13 || method == 15;
}

// One interface object as the host holds it: the references it took and has not given back.
struct HeldInterface {
    InterfaceObject* object;
    int32_t references;
};

struct Camera {
    sim::Instance instance;
    std::vector<HeldInterface> interfaces;
    bool valueWithheld = false;
    bool listWithheld = false;
    bool newRan = false;  // the derived tables exist only after "new"
};

// A marker the result starts with, so a call that leaves it alone is recognised.
const HostValue untouchedMarker = {{0x7E57ED00u, 0x7E57ED01u}};

constexpr size_t MaxCameras = 4;
constexpr int32_t MaxReferences = 8;
// The size of the window record of a host that fills all of it, not only the words a module
// reads.
constexpr size_t LargeWindowRecord = 256;

// --- What the module promises for a call, judged from the host's values alone.

bool isIntegerWithin(const sim::Host& host, const HostValue& value, int32_t low, int32_t high) {
    return host.typeOf(value) == sim::ValueType::Integer && host.integerOf(value) >= low &&
           host.integerOf(value) <= high;
}

// The result a method may give with status 0, beside its error symbol.
bool isDocumentedSuccess(const sim::Host& host, uint32_t method, const HostValue& result) {
    switch (method) {
        case 1:
        case 3:
        case 5:
        case 19:
            return host.floatsOf(result, sim::ValueType::List, 3);
        case 16:
            return host.floatsOf(result, sim::ValueType::Point, 2);
        case 8:
        case 10:
        case 12:
        case 14:
        case 17:
        case 20:
        case 21:
        case 22:
        case 23:
            return host.typeOf(result) == sim::ValueType::Float;
        case 18:
            return isIntegerWithin(host, result, 0, 255);
        case 24:
            return isIntegerWithin(host, result, -1, 1) && host.integerOf(result) != 0;
        case 25:
        case 26:
            return host.typeOf(result) == sim::ValueType::Integer;
        default:
            return isSetter(method) && host.isSymbol(result, "Ok");
    }
}

// The answer of a method that ran on a camera with its value link: its status, its result, and
// after a successful setter the camera's rotation table.
void checkAnswer(const sim::Host& host, const Camera& camera, InterfaceObject* object,
                 uint32_t method, Status status, const HostValue& result, bool refusable) {
    const bool isError = host.isSymbol(result, errorSymbolOf(method));
    REQUIRE(status == StatusOk || status == sim::StatusNotConvertible);
    // Projection and back-projection need the list link before they read anything.
    const bool readsArguments = !(camera.listWithheld && (method == 16 || method == 19));
    if (readsArguments) {
        // A refused conversion is reported with its own status, except by the two point
        // setters, which answer 0 either way.
        const bool reportsRefusal = refusable && method != 2 && method != 4;
        REQUIRE((status == sim::StatusNotConvertible) == reportsRefusal);
        if (refusable) {
            REQUIRE(isError);
        }
    } else {
        REQUIRE(status == StatusOk);
        REQUIRE(isError);
    }
    // Methods without an error symbol of their own cannot answer with one.
    const bool hasNoErrors =
        method == 8 || method == 10 || method == 12 || method == 14 || method == 17 || method == 18;
    REQUIRE(isDocumentedSuccess(host, method, result) || (isError && !hasNoErrors));
    if (isSetter(method) && host.isSymbol(result, "Ok") && camera.newRan) {
        REQUIRE(view::rotationTableMatchesAngles(object));
    }
}

// --- What Register must answer, from what the host told it and what it refuses.

struct RegistrationSetup {
    std::vector<char> name;
    std::vector<char> version;
    uint8_t failures;
    Status failure;
    int32_t context;
};

// What the module finds in its 64-byte buffer: the host copies at most 64 bytes of each answer
// into it, the version over the name. The first byte is cleared before each question, so an
// answer that writes nothing (an empty raw text) reads as empty text; other bytes it did not
// write stay as they were. Answers the status Register must give, and whether it gets as far
// as the dictionaries.
struct RegistrationOutcome {
    Status status;
    bool recognised;
};
RegistrationOutcome expectedRegistration(const RegistrationSetup& setup) {
    if ((setup.failures & 64) != 0) {
        return {sim::StatusNoInterface, false};  // no HostInfo
    }
    if ((setup.failures & 1) != 0) {
        return {setup.failure, false};  // the name cannot be read
    }
    char buffer[64] = {};
    std::copy_n(setup.name.begin(), std::min<size_t>(setup.name.size(), sizeof buffer), buffer);
    if (std::memcmp(buffer, "Director", 9) != 0) {
        return {sim::StatusNotAvailable, false};
    }
    if ((setup.failures & 2) != 0) {
        return {setup.failure, false};  // the version cannot be read
    }
    buffer[0] = '\0';
    std::copy_n(setup.version.begin(), std::min<size_t>(setup.version.size(), sizeof buffer),
                buffer);
    if (static_cast<int8_t>(buffer[0]) < static_cast<int8_t>('6')) {
        return {sim::StatusWrongVersion, false};
    }
    // A recognised host: only the method dictionary and its entry decide; whatever the
    // load-control dictionary or entry refuse is ignored.
    return {(setup.failures & (4 | 16)) != 0 ? setup.failure : StatusOk, true};
}

// --- The session: the host's steps, one per opcode.

class Session {
  public:
    explicit Session(const ModuleExports& module) : module_(module) {}

    void run(Input& input) {
        using Step = void (Session::*)(Input&);
        static constexpr Step steps[] = {
            &Session::createCamera,     &Session::callMethod,      &Session::addReference,
            &Session::releaseReference, &Session::destroyCamera,   &Session::anotherInterface,
            &Session::registerModule,   &Session::failAllocations, &Session::failNewLists,
            &Session::changeStage,      &Session::classInfo,       &Session::queryInterface,
        };
        static_assert(sizeof steps / sizeof steps[0] == 12, "one step per opcode");
        while (!input.done()) {
            (this->*steps[input.byte() % 12])(input);
            requireBooksBalance();
        }
        letGoOfEverything();
    }

  private:
    // The host lets go of everything, then nothing may be left over.
    void letGoOfEverything() {
        while (!cameras_.empty()) {
            destroy(cameras_.front());
        }
        REQUIRE(host_.outstandingReferences() == 0);
        REQUIRE(!host_.anyOverReleased());
        REQUIRE(host_.liveBoxes() == 0);
        REQUIRE(host_.liveBlocks() == 0);
        REQUIRE(!host_.freedUnknownBlock());
        REQUIRE(module_.DllCanUnloadNow() == 0);
    }

    // What the host can count at any moment: each interface object is one block and holds its
    // references plus one on its instance; the module may be unloaded only without any.
    void requireBooksBalance() {
        size_t interfaces = 0;
        for (const Camera& camera : cameras_) {
            int64_t expected = 1;  // the host's own
            for (const HeldInterface& held : camera.interfaces) {
                expected += held.references + 1;
                REQUIRE(view::referenceCountOf(held.object) == held.references);
            }
            REQUIRE(host_.instanceReferences(camera.instance) == expected);
            interfaces += camera.interfaces.size();
        }
        REQUIRE(host_.liveBlocks() == interfaces);
        REQUIRE((module_.DllCanUnloadNow() == 0) == (interfaces == 0));
        REQUIRE(host_.liveBoxes() == 0);
        REQUIRE(!host_.anyOverReleased());
    }

    Camera* pick(uint8_t index) {
        return cameras_.empty() ? nullptr : &cameras_[index % cameras_.size()];
    }

    // One of the camera's interfaces, or null when it has none.
    static HeldInterface* pickInterface(Camera* camera, size_t index) {
        if (camera == nullptr || camera->interfaces.empty()) {
            return nullptr;
        }
        return &camera->interfaces[index % camera->interfaces.size()];
    }

    // Asks for an interface of the camera's instance; on failure nothing may have changed.
    void takeInterface(Camera& camera, const Guid& interfaceId) {
        const size_t blocksBefore = host_.liveBlocks();
        const int64_t referencesBefore = host_.instanceReferences(camera.instance);
        void* out = reinterpret_cast<void*>(&camera);  // junk the module must overwrite or ignore
        const Status status = module_.DllGetInterface(camera.instance.record, &sim::CameraClassId,
                                                      &interfaceId, &out);
        if (status != StatusOk) {
            REQUIRE(host_.liveBlocks() == blocksBefore);
            REQUIRE(host_.instanceReferences(camera.instance) == referencesBefore);
            if (status == sim::StatusOutOfMemory) {
                REQUIRE(out == nullptr);
            }
            return;
        }
        REQUIRE(sim::sameId(interfaceId, sim::CameraInterfaceId));
        REQUIRE(out != nullptr);
        camera.interfaces.push_back(HeldInterface{static_cast<InterfaceObject*>(out), 1});
    }

    // Step 0: a camera made with the services the flags withhold; its host links are the three
    // words after the host's header.
    void createCamera(Input& input) {
        const uint8_t flags = input.byte();
        if (cameras_.size() >= MaxCameras) {
            return;
        }
        const Guid* services[] = {&sim::ValueServicesId, &sim::ListServicesId, &sim::AuxServicesId,
                                  &sim::PresentationServicesId};
        for (int bit = 0; bit < 4; ++bit) {
            host_.withhold(*services[bit], (flags >> bit & 1) != 0);
        }
        Camera camera;
        camera.instance = host_.createInstance(module_, sim::CameraClassId);
        REQUIRE(camera.instance.record != nullptr);
        camera.valueWithheld = (flags & 1) != 0;
        camera.listWithheld = (flags & 2) != 0;
        for (size_t link = 0; link < 3; ++link) {
            const bool withheld = (flags >> link & 1) != 0;
            REQUIRE(sim::classWord(camera.instance, link) ==
                    (withheld ? nullptr : host_.service(*services[link])));
        }
        // Presentation services stay withheld for this camera's "new", then come back.
        for (int bit = 0; bit < 3; ++bit) {
            host_.withhold(*services[bit], false);
        }
        if ((flags & 0x10) != 0) {
            host_.failAllocations(1);
        }
        takeInterface(camera,
                      (flags & 0x40) != 0 ? sim::RegistrationInterfaceId : sim::CameraInterfaceId);
        host_.failAllocations(0);
        cameras_.push_back(camera);
        if (!camera.interfaces.empty() && (flags & 0x20) == 0) {
            Camera& added = cameras_.back();
            HostValue result = untouchedMarker;
            REQUIRE(sim::sendNew(host_, added.interfaces.front().object, &result) == StatusOk);
            REQUIRE(std::memcmp(&result, &untouchedMarker, sizeof(HostValue)) == 0);
            added.newRan = true;
        }
        host_.withhold(sim::PresentationServicesId, false);
    }

    uint32_t readMethod(Input& input) {
        const uint8_t selector = input.byte();
        if (selector < 0xC0) {
            return selector % 27u;
        }
        if (selector < 0xFF) {
            return unusualMethods[(selector - 0xC0) %
                                  (sizeof(unusualMethods) / sizeof(unusualMethods[0]))];
        }
        return input.u32();
    }

    // One argument made the way the host makes script values. `convertible` tells whether
    // ValueToFloat accepts it.
    HostValue readArgument(Input& input, bool* convertible) {
        *convertible = false;
        switch (input.byte() % 8) {
            case 0:
                *convertible = true;
                return host_.makeInteger(static_cast<int32_t>(input.u32()));
            case 1: {
                const uint64_t bits = input.u64();
                double number;
                std::memcpy(&number, &bits, sizeof number);
                *convertible = true;
                return host_.makeFloat(number);
            }
            case 2:
                *convertible = true;
                return host_.makeFloat(specialFloats[input.byte() % specialFloatCount]);
            case 3:
                *convertible = true;
                return host_.makeFloat(static_cast<double>(static_cast<int8_t>(input.byte())));
            case 4:
                return host_.makeSymbol(
                    symbolTexts[input.byte() % (sizeof(symbolTexts) / sizeof(symbolTexts[0]))]);
            case 5: {
                std::string text;
                const int length = input.byte() % 16;
                for (int i = 0; i < length; ++i) {
                    text.push_back(static_cast<char>(input.byte()));
                }
                return host_.makeString(text);
            }
            case 6:
                return readList(input);
            default:
                return HostValue{};  // void
        }
    }

    HostValue readList(Input& input) {
        std::vector<HostValue> items;
        const int count = input.byte() % 4;
        for (int i = 0; i < count; ++i) {
            if (input.byte() % 2 == 0) {
                items.push_back(host_.makeInteger(static_cast<int8_t>(input.byte())));
            } else {
                items.push_back(host_.makeFloat(specialFloats[input.byte() % specialFloatCount]));
            }
        }
        HostValue list = host_.makeList(items);
        for (HostValue& item : items) {
            host_.release(item);
        }
        return list;
    }

    // Step 1: a script's call, with the method number and the arguments the input gives.
    void callMethod(Input& input) {
        // The camera byte's low bits choose the camera, the rest which of its interfaces.
        const uint8_t which = input.byte();
        Camera* camera = pick(which);
        HeldInterface* held = pickInterface(camera, which / MaxCameras);
        const uint32_t method = readMethod(input);
        const int given = input.byte() % 8;
        if (held == nullptr) {
            return;
        }

        // Element 0 is "me" for object methods; the script's arguments follow. Missing ones
        // are void, as the host passes them; extra ones are passed along.
        std::vector<HostValue> elements;
        std::vector<bool> convertible;
        if (!isGlobalHandler(method)) {
            elements.push_back(host_.makeSymbol("me"));
            convertible.push_back(false);
        }
        for (int i = 0; i < given; ++i) {
            bool accepted = false;
            elements.push_back(readArgument(input, &accepted));
            convertible.push_back(accepted);
        }
        while (elements.size() < static_cast<size_t>(declaredElements(method))) {
            elements.push_back(HostValue{});
            convertible.push_back(false);
        }
        // Would the module meet an argument ValueToFloat refuses among the ones it reads?
        bool refusable = false;
        for (int e = firstArgumentElement(method); e < declaredElements(method); ++e) {
            refusable = refusable || !convertible[static_cast<size_t>(e)];
        }

        sim::CallBlock record;
        record.methodNumber = static_cast<int32_t>(method);
        record.result = untouchedMarker;
        record.arguments = elements.data();
        const Status status = sim::callObject(held->object, &record);
        const bool untouched =
            std::memcmp(&record.result, &untouchedMarker, sizeof(HostValue)) == 0;

        if (method == 0 || method > 26) {
            REQUIRE(status == StatusOk);
            REQUIRE(untouched);
            if (method == 0) {
                camera->newRan = true;
            }
        } else if (camera->valueWithheld) {
            // Without the value link a handler cannot even report an error.
            REQUIRE(status != StatusOk);
            REQUIRE(untouched);
        } else {
            REQUIRE(!untouched);
            checkAnswer(host_, *camera, held->object, method, status, record.result, refusable);
            host_.release(record.result);
        }
        for (HostValue& element : elements) {
            host_.release(element);
        }
    }

    // Step 2.
    void addReference(Input& input) {
        Camera* camera = pick(input.byte());
        HeldInterface* held = pickInterface(camera, input.byte());
        if (held == nullptr || held->references >= MaxReferences) {
            return;
        }
        const uint32_t count = sim::addRefObject(held->object);
        held->references += 1;
        REQUIRE(count == static_cast<uint32_t>(held->references));
    }

    // Step 3: the last reference taken away frees the object.
    void releaseReference(Input& input) {
        Camera* camera = pick(input.byte());
        HeldInterface* held = pickInterface(camera, input.byte());
        if (held == nullptr) {
            return;
        }
        const uint32_t count = sim::releaseObject(held->object);
        held->references -= 1;
        REQUIRE(count == static_cast<uint32_t>(held->references));
        if (held->references == 0) {
            camera->interfaces.erase(camera->interfaces.begin() +
                                     (held - camera->interfaces.data()));
        }
    }

    // Step 4: its references released first, in the order held.
    void destroyCamera(Input& input) {
        Camera* camera = pick(input.byte());
        if (camera != nullptr) {
            destroy(*camera);
        }
    }

    void destroy(Camera& camera) {
        for (HeldInterface& held : camera.interfaces) {
            while (held.references > 0) {
                sim::releaseObject(held.object);
                held.references -= 1;
            }
        }
        camera.interfaces.clear();
        REQUIRE(host_.destroyInstance(camera.instance));
        cameras_.erase(cameras_.begin() + (&camera - cameras_.data()));
    }

    // Step 5.
    void anotherInterface(Input& input) {
        Camera* camera = pick(input.byte());
        if (camera != nullptr && camera->interfaces.size() < 4) {
            takeInterface(*camera, sim::CameraInterfaceId);
        }
    }

    std::vector<char> readText(Input& input, const char* const* fixed, size_t fixedCount) {
        const uint8_t kind = input.byte();
        if (kind < fixedCount) {
            const char* text = fixed[kind];
            return std::vector<char>(text, text + std::strlen(text) + 1);
        }
        // Raw bytes, possibly without a terminating zero anywhere in the 64.
        std::vector<char> bytes;
        const int length = input.byte() % 65;
        for (int i = 0; i < length; ++i) {
            bytes.push_back(static_cast<char>(input.byte()));
        }
        return bytes;
    }

    void refuseAsTold(const RegistrationSetup& setup) {
        host_.setInfoBytes(sim::InfoApplicationName, setup.name);
        host_.setInfoBytes(sim::InfoVersionText, setup.version);
        const uint8_t failures = setup.failures;
        const bool null = (failures & 8) != 0;
        if ((failures & 1) != 0) {
            host_.failInfo(sim::InfoApplicationName, setup.failure);
        }
        if ((failures & 2) != 0) {
            host_.failInfo(sim::InfoVersionText, setup.failure);
        }
        if ((failures & 4) != 0) {
            host_.failDictionary(sim::CameraInterfaceId, setup.failure, null);
        }
        if ((failures & 16) != 0) {
            host_.failPutEntry("msgTable", setup.failure);
        }
        if ((failures & 32) != 0) {
            host_.failDictionary(sim::LoadControlId, setup.failure, null);
        }
        if ((failures & 128) != 0) {
            host_.failPutEntry("XtraLoadControlOptions", setup.failure);
        }
        host_.withhold(sim::HostInfoId, (failures & 64) != 0);
    }

    // Step 6: Register on a fresh registration instance, with whatever the host claims to be
    // and refuses; the refusals end with it.
    void registerModule(Input& input) {
        RegistrationSetup setup;
        setup.name = readText(input, fixedTexts, sizeof(fixedTexts) / sizeof(fixedTexts[0]));
        setup.version =
            readText(input, fixedVersions, sizeof(fixedVersions) / sizeof(fixedVersions[0]));
        setup.failures = input.byte();
        setup.failure = static_cast<Status>(0x80040100u + (input.byte() % 4));
        setup.context = static_cast<int32_t>(input.u32());
        refuseAsTold(setup);

        sim::Instance instance;
        void* out = nullptr;
        const Status created = sim::createObject(host_, module_, sim::RegistrationClassId,
                                                 sim::RegistrationInterfaceId, &instance, &out);
        REQUIRE(instance.record != nullptr);
        if (created == StatusOk) {
            const size_t entriesBefore = host_.registry().size();
            const size_t requestsBefore = host_.dictionaryRequests().size();
            const RegistrationOutcome expected = expectedRegistration(setup);
            REQUIRE(sim::registerObject(out, host_.registrationCache(), setup.context) ==
                    expected.status);
            // The load-control entry first, unless refused; the message table exactly on success.
            std::vector<std::string> keys;
            if (expected.recognised && (setup.failures & (32 | 128)) == 0) {
                keys.push_back("XtraLoadControlOptions");
            }
            if (expected.status == StatusOk) {
                keys.push_back("msgTable");
            }
            REQUIRE(host_.registry().size() - entriesBefore == keys.size());
            for (size_t i = 0; i < keys.size(); ++i) {
                REQUIRE(host_.registry()[entriesBefore + i].key == keys[i]);
            }
            for (size_t i = requestsBefore; i < host_.dictionaryRequests().size(); ++i) {
                REQUIRE(host_.dictionaryRequests()[i] == setup.context);
            }
        } else {
            REQUIRE(created == sim::StatusOutOfMemory && out == nullptr);
        }
        REQUIRE(sim::destroyObject(host_, instance, out));
        host_.endRegistrationFailures();
        host_.withhold(sim::HostInfoId, false);
    }

    // Step 7.
    void failAllocations(Input& input) {
        const int count = input.byte() % 4;
        host_.failAllocations(count, input.byte() % 4);
    }

    // Step 8.
    void failNewLists(Input& input) { host_.failNewLists(input.byte() % 4); }

    // Step 9.
    void changeStage(Input& input) {
        const uint8_t what = input.byte();
        const int32_t a = static_cast<int16_t>(input.u16());
        const int32_t b = static_cast<int16_t>(input.u16());
        switch (what % 5) {
            case 0:
                host_.setStageSize(a, b);
                break;
            case 1:
                host_.setStageWindowKind(a);
                break;
            case 2:
                host_.failStageRect((b & 1) != 0);
                break;
            case 3:
                // A host that writes all of its window record, or only the words a module reads.
                host_.fillNativeRecord((b & 1) != 0 ? LargeWindowRecord : 0);
                break;
            default: {
                // Two bits choose a step of the chain; the fourth value sets none.
                const sim::PresentationStep steps[] = {sim::PresentationStep::Presentation,
                                                       sim::PresentationStep::Window,
                                                       sim::PresentationStep::NativeWindow};
                if ((a & 3) < 3) {
                    host_.failPresentationStep(steps[a & 3],
                                               (b & 1) != 0 ? static_cast<Status>(0x80040100u) : 0);
                }
                break;
            }
        }
    }

    // Step 10.
    void classInfo(Input&) {
        ClassInfoRecord* records = nullptr;
        const Status status = module_.DllGetClassInfo(host_.allocator(), &records);
        REQUIRE((status == StatusOk) == (records != nullptr));
        if (status != StatusOk) {
            REQUIRE(status == sim::StatusOutOfMemory);
        }
        if (records != nullptr) {
            host_.freeBlock(records);
        }
    }

    // Step 11: the interface passes the question to its instance record, which the host
    // answers; the module's class objects are not offered at all.
    void queryInterface(Input& input) {
        const uint8_t which = input.byte();
        HeldInterface* held = pickInterface(pick(which), which / MaxCameras);
        const uint8_t asked = input.byte();
        void* classObject = &classObject;
        REQUIRE(module_.DllGetClassObject(&sim::CameraClassId, &sim::CameraInterfaceId,
                                          &classObject) != StatusOk);
        if (held == nullptr) {
            return;
        }
        // An identifier nobody answers to, beside the known ones.
        static const Guid unknownId = {
            0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
        const Guid* ids[] = {&sim::CameraInterfaceId, &sim::RegistrationInterfaceId,
                             &sim::ValueServicesId, &unknownId};
        void* out = &classObject;  // junk the host overwrites
        const Status status = sim::queryObject(held->object, *ids[asked % 4], &out);
        // The simulated host's instance records answer no interface.
        REQUIRE(status == sim::StatusNoInterface && out == nullptr);
    }

    const ModuleExports& module_;
    sim::Host host_;
    std::vector<Camera> cameras_;
};

const ModuleExports& moduleExports() {
    return scriptModule();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    Session session(moduleExports());
    session.run(input);
    return 0;
}
