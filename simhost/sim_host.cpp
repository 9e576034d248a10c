// The simulated host's objects: reference books, HostServices, Allocator, HostInfo,
// registration, the presentation chain and instance records.
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "simhost/interface_ids.h"
#include "simhost/sim_host_impl.h"

namespace sim {

namespace {

Host::Impl& implOf(InstanceRecord* record) {
    return *static_cast<Host::Impl*>(record->hostWord1);
}
size_t bookOf(InstanceRecord* record) {
    return reinterpret_cast<uintptr_t>(record->hostWord4);
}

// --- HostServices: the way to every other service.
Status XTRA_CALL hostQueryInterface(HostServices* self, const Guid* iid, void** out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::QueryInterface);
    *out = nullptr;
    if (host.isWithheld(*iid)) {
        return StatusNoInterface;
    }
    const std::pair<const Guid*, SimObject*> services[] = {
        {&ValueServicesId, host.valueServices},
        {&ListServicesId, host.listServices},
        {&AuxServicesId, host.auxServices},
        {&PresentationServicesId, host.presentationServices},
        {&HostInfoId, host.hostInfo},
    };
    for (const auto& service : services) {
        if (sameGuid(*iid, *service.first)) {
            host.addRef(service.second->id);
            *out = service.second;
            return StatusOk;
        }
    }
    return StatusNoInterface;
}

const HostServicesOps hostServicesOps = {hostQueryInterface, objectAddRef<HostServices>,
                                         objectRelease<HostServices>};

const AuxServicesOps auxServicesOps = {noInterfaces<AuxServices>, objectAddRef<AuxServices>,
                                       objectRelease<AuxServices>};

// --- Allocator.
void* XTRA_CALL allocate(Allocator* self, uint32_t size) {
    Host::Impl& host = hostOf(self);
    host.count(Op::Allocate);
    host.allocationSizes.push_back(size);
    if (host.allocationFailures > 0) {
        if (host.allocationsBeforeFailure > 0) {
            host.allocationsBeforeFailure -= 1;
        } else {
            host.allocationFailures -= 1;
            return nullptr;
        }
    }
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) {
        // Fresh blocks are never zero, so a reader of unwritten memory is noticed.
        std::memset(block, 0xA5, size);
        host.blocks.emplace(block, size);
    }
    return block;
}

void XTRA_CALL freeBlock(Allocator* self, void* block) {
    Host::Impl& host = hostOf(self);
    host.count(Op::Free);
    if (block == nullptr) {
        return;
    }
    auto found = host.blocks.find(block);
    if (found == host.blocks.end()) {
        host.freedUnknown = true;
        return;
    }
    std::memset(block, 0xDD, found->second);
    host.blocks.erase(found);
    std::free(block);
}

const AllocatorOps allocatorOps = {noInterfaces<Allocator>, objectAddRef<Allocator>,
                                   objectRelease<Allocator>, allocate, freeBlock};

// --- HostInfo.
Status XTRA_CALL getInfoString(HostInfo* self, int32_t selector, char* buffer, int32_t size) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetInfoString);
    auto failure = host.infoFailures.find(selector);
    if (failure != host.infoFailures.end()) {
        return failure->second;
    }
    auto text = host.info.find(selector);
    if (text == host.info.end() || size <= 0) {
        return StatusRefused;
    }
    const size_t room = static_cast<size_t>(size);
    std::memcpy(buffer, text->second.data(), std::min(room, text->second.size()));
    return StatusOk;
}

const HostInfoOps hostInfoOps = {noInterfaces<HostInfo>, objectAddRef<HostInfo>,
                                 objectRelease<HostInfo>, getInfoString};

// --- Registration: dictionaries are lent; the cache records every entry put.
struct DictionaryObject {
    SimObject object;
    Guid classId;
    Guid interfaceId;
};

Status XTRA_CALL putEntry(RegistrationDictionary* self, int32_t typeCode, const void* data,
                          int32_t reserved, const char* key) {
    Host::Impl& host = hostOf(self);
    host.count(Op::PutEntry);
    const std::string name = key != nullptr ? key : "";
    auto failure = host.putFailures.find(name);
    if (failure != host.putFailures.end()) {
        return failure->second;
    }
    RegistryEntry entry{};
    for (const auto& dictionary : host.dictionaries) {
        if (dictionary.second == static_cast<void*>(self)) {
            entry.classId = dictionary.first.first;
            entry.interfaceId = dictionary.first.second;
        }
    }
    entry.typeCode = typeCode;
    entry.reserved = reserved;
    entry.key = name;
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (typeCode == EntryTypeInteger) {
        entry.data.assign(bytes, bytes + 4);
    } else if (typeCode == EntryTypeText) {
        entry.data.assign(bytes, bytes + std::strlen(static_cast<const char*>(data)) + 1);
    } else {
        return StatusRefused;
    }
    host.registry.push_back(std::move(entry));
    return StatusOk;
}

const RegistrationDictionaryOps dictionaryOps = {noInterfaces<RegistrationDictionary>,
                                                 objectAddRef<RegistrationDictionary>,
                                                 objectRelease<RegistrationDictionary>,
                                                 nullptr,
                                                 nullptr,
                                                 nullptr,
                                                 putEntry};

Status XTRA_CALL getRegistrationDictionary(RegistrationCache* self, int32_t, const Guid* classId,
                                           const Guid* interfaceId, RegistrationDictionary** out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetRegistrationDictionary);
    host.dictionaryRequests += 1;
    for (const auto& failure : host.dictionaryFailures) {
        if (sameGuid(failure.first, *interfaceId)) {
            *out = failure.second.returnNull ? nullptr : *out;
            return failure.second.status;
        }
    }
    for (const auto& dictionary : host.dictionaries) {
        if (sameGuid(dictionary.first.first, *classId) &&
            sameGuid(dictionary.first.second, *interfaceId)) {
            *out = reinterpret_cast<RegistrationDictionary*>(dictionary.second);
            return StatusOk;
        }
    }
    SimObject* dictionary = host.makeObject(&dictionaryOps, "RegistrationDictionary");
    host.dictionaries.push_back({{*classId, *interfaceId}, dictionary});
    *out = reinterpret_cast<RegistrationDictionary*>(dictionary);
    return StatusOk;
}

const RegistrationCacheOps registrationCacheOps = {noInterfaces<RegistrationCache>,
                                                   objectAddRef<RegistrationCache>,
                                                   objectRelease<RegistrationCache>,
                                                   nullptr,
                                                   nullptr,
                                                   nullptr,
                                                   nullptr,
                                                   getRegistrationDictionary};

// --- The presentation chain: services, presentation, window, native record.
Status XTRA_CALL getNativeWindow(WindowObject* self, NativeWindowRecord* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetNativeWindow);
    const Status failure = host.presentationFailure(PresentationStep::NativeWindow);
    if (failure != StatusOk) {
        return failure;
    }
    // The host's own idea of the record: the words the plug-in reads, and, when a test asks for
    // it, that many bytes of filler from the record's start, as a host with a larger record
    // than the plug-in expects would write.
    if (host.nativeRecordFill > 0) {
        std::memset(static_cast<void*>(out), 0xA5, host.nativeRecordFill);
    }
    out->kind = host.stageKind;
    out->window = host.stageHandle();
    return StatusOk;
}

const WindowObjectOps windowOps = {noInterfaces<WindowObject>,
                                   objectAddRef<WindowObject>,
                                   objectRelease<WindowObject>,
                                   nullptr,
                                   nullptr,
                                   getNativeWindow};

Status XTRA_CALL getPresentationWindow(PresentationObject* self, WindowObject** out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetPresentationWindow);
    const Status failure = host.presentationFailure(PresentationStep::Window);
    if (failure != StatusOk) {
        *out = nullptr;
        return failure;
    }
    host.addRef(host.window->id);
    *out = reinterpret_cast<WindowObject*>(host.window);
    return StatusOk;
}

PresentationObjectOps makePresentationOps() {
    PresentationObjectOps ops{};
    ops.QueryInterface = noInterfaces<PresentationObject>;
    ops.AddRef = objectAddRef<PresentationObject>;
    ops.Release = objectRelease<PresentationObject>;
    ops.GetPresentationWindow = getPresentationWindow;
    return ops;
}
const PresentationObjectOps presentationOps = makePresentationOps();

Status XTRA_CALL getPresentation(PresentationServices* self, PresentationObject** out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetPresentation);
    const Status failure = host.presentationFailure(PresentationStep::Presentation);
    if (failure != StatusOk) {
        *out = nullptr;
        return failure;
    }
    host.addRef(host.presentation->id);
    *out = reinterpret_cast<PresentationObject*>(host.presentation);
    return StatusOk;
}

const PresentationServicesOps presentationServicesOps = {noInterfaces<PresentationServices>,
                                                         objectAddRef<PresentationServices>,
                                                         objectRelease<PresentationServices>,
                                                         nullptr,
                                                         nullptr,
                                                         nullptr,
                                                         getPresentation};

// --- Instance records: their own QueryInterface, AddRef and Release.
Status XTRA_CALL instanceQueryInterface(InstanceRecord* self, const Guid*, void** out) {
    implOf(self).count(Op::QueryInterface);
    *out = nullptr;
    return StatusNoInterface;
}
uint32_t XTRA_CALL instanceAddRef(InstanceRecord* self) {
    return implOf(self).addRef(bookOf(self));
}
uint32_t XTRA_CALL instanceRelease(InstanceRecord* self) {
    return implOf(self).release(bookOf(self));
}
const InstanceOps instanceOps = {instanceQueryInterface, instanceAddRef, instanceRelease};

}  // namespace

Host::Impl::Impl() {
    hostServices = makeObject(&hostServicesOps, "HostServices");
    allocator = makeObject(&allocatorOps, "Allocator");
    valueServices = makeObject(&valueServicesOps, "ValueServices");
    listServices = makeObject(&listServicesOps, "ListServices");
    auxServices = makeObject(&auxServicesOps, "AuxServices");
    presentationServices = makeObject(&presentationServicesOps, "PresentationServices");
    hostInfo = makeObject(&hostInfoOps, "HostInfo");
    registrationCache = makeObject(&registrationCacheOps, "RegistrationCache");
    presentation = makeObject(&presentationOps, "PresentationObject");
    window = makeObject(&windowOps, "WindowObject");
    const std::string name = "Director";
    const std::string version = "8.5.1";
    info[InfoApplicationName] = std::vector<char>(name.begin(), name.end());
    info[InfoApplicationName].push_back('\0');
    info[InfoVersionText] = std::vector<char>(version.begin(), version.end());
    info[InfoVersionText].push_back('\0');
}

Host::Impl::~Impl() {
    destroyStageWindow(stage);
    stage = nullptr;
    for (auto& block : blocks) {
        std::free(block.first);
    }
}

SimObject* Host::Impl::makeObject(const void* ops, const std::string& name) {
    const size_t id = books.size();
    books.push_back(ObjectBook{name});
    objects.push_back(std::make_unique<SimObject>(SimObject{ops, this, id}));
    return objects.back().get();
}

uint32_t Host::Impl::addRef(size_t id) {
    ObjectBook& book = books[id];
    book.addRefs += 1;
    book.references += 1;
    return static_cast<uint32_t>(book.references);
}

uint32_t Host::Impl::release(size_t id) {
    ObjectBook& book = books[id];
    book.releases += 1;
    releases.push_back(book.name);
    // The host's own reference is never the plug-in's to give back.
    if (book.references <= 1) {
        book.overReleased = true;
        return 0;
    }
    book.references -= 1;
    return static_cast<uint32_t>(book.references);
}

bool Host::Impl::isWithheld(const Guid& iid) const {
    for (const Guid& guid : withheld) {
        if (sameGuid(guid, iid)) {
            return true;
        }
    }
    return false;
}

void* Host::Impl::stageHandle() {
    if (!stage) {
        stage = makeStageWindow();
    }
    resizeStageWindow(*stage, stageWidth, stageHeight, !stageRectFails);
#if defined(_WIN32)
    // A handle that names no window makes the real GetWindowRect fail.
    if (stageRectFails) {
        return nullptr;
    }
#endif
    return stageWindowHandle(*stage);
}

// --- The test-facing side.

Host::Host() : impl_(std::make_unique<Impl>()) {}
Host::~Host() = default;

HostServices* Host::hostServices() {
    return reinterpret_cast<HostServices*>(impl_->hostServices);
}
Allocator* Host::allocator() {
    return reinterpret_cast<Allocator*>(impl_->allocator);
}
RegistrationCache* Host::registrationCache() {
    return reinterpret_cast<RegistrationCache*>(impl_->registrationCache);
}

void Host::withhold(const Guid& iid, bool withheld) {
    auto& list = impl_->withheld;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (sameGuid(*it, iid)) {
            list.erase(it);
            break;
        }
    }
    if (withheld) {
        list.push_back(iid);
    }
}

void Host::failAllocations(int count, int after) {
    impl_->allocationFailures = count;
    impl_->allocationsBeforeFailure = after;
}
std::vector<uint32_t> Host::allocationSizes() const {
    return impl_->allocationSizes;
}
size_t Host::liveBlocks() const {
    return impl_->blocks.size();
}
bool Host::freedUnknownBlock() const {
    return impl_->freedUnknown;
}

void Host::setInfo(int32_t selector, const std::string& text) {
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back('\0');
    impl_->info[selector] = std::move(bytes);
}
void Host::setInfoBytes(int32_t selector, const std::vector<char>& bytes) {
    impl_->info[selector] = bytes;
}
void Host::failInfo(int32_t selector, Status status) {
    impl_->infoFailures[selector] = status;
}
void Host::failDictionary(const Guid& interfaceId, Status status, bool returnNull) {
    impl_->dictionaryFailures.push_back({interfaceId, {status, returnNull}});
}
void Host::failPutEntry(const std::string& key, Status status) {
    impl_->putFailures[key] = status;
}
const std::vector<RegistryEntry>& Host::registry() const {
    return impl_->registry;
}
int Host::dictionaryRequests() const {
    return impl_->dictionaryRequests;
}

void Host::setStageSize(int32_t width, int32_t height) {
    impl_->stageWidth = width;
    impl_->stageHeight = height;
}
void Host::setStageWindowKind(int32_t kind) {
    impl_->stageKind = kind;
}
void Host::fillNativeRecord(size_t bytes) {
    impl_->nativeRecordFill = bytes;
}
void Host::failStageRect(bool fail) {
    impl_->stageRectFails = fail;
}
void Host::failPresentationStep(PresentationStep step, Status status) {
    impl_->presentationFailures[step] = status;
}

Instance Host::createInstance(const ModuleExports& module, const Guid& classId) {
    Instance instance;
    CreateOperation create = nullptr;
    int32_t size = 0;
    if (module.DllGetClassForm(&classId, &size, &create, &instance.destroy) != StatusOk ||
        size < static_cast<int32_t>(sizeof(InstanceRecord))) {
        return instance;
    }
    void* memory = std::calloc(1, static_cast<size_t>(size));
    auto* record = static_cast<InstanceRecord*>(memory);
    const size_t book = impl_->books.size();
    impl_->books.push_back(ObjectBook{"instance record"});
    impl_->objects.push_back(nullptr);
    record->ops = &instanceOps;
    record->hostWord1 = impl_.get();
    record->hostServices = hostServices();
    record->allocator = allocator();
    record->hostWord4 = reinterpret_cast<void*>(static_cast<uintptr_t>(book));
    instance.record = record;
    instance.object = book;
    instance.size = size;
    create(record);
    return instance;
}

int64_t Host::instanceReferences(const Instance& instance) const {
    return impl_->books[instance.object].references;
}

bool Host::destroyInstance(Instance& instance) {
    if (instance.record == nullptr) {
        return true;
    }
    ObjectBook& book = impl_->books[instance.object];
    if (book.references != 1) {
        return false;
    }
    instance.destroy(instance.record);
    std::memset(static_cast<void*>(instance.record), 0xDD, static_cast<size_t>(instance.size));
    std::free(instance.record);
    instance.record = nullptr;
    book.alive = false;
    book.references = 0;
    return true;
}

int64_t Host::outstandingReferences() const {
    int64_t total = 0;
    for (const ObjectBook& book : impl_->books) {
        if (book.alive) {
            total += book.references - 1;
        }
    }
    return total;
}

bool Host::anyOverReleased() const {
    for (const ObjectBook& book : impl_->books) {
        if (book.overReleased) {
            return true;
        }
    }
    return false;
}

std::string Host::referenceReport() const {
    std::ostringstream text;
    for (const ObjectBook& book : impl_->books) {
        if ((book.alive && book.references != 1) || book.overReleased) {
            text << book.name << ": references " << book.references << ", AddRef " << book.addRefs
                 << ", Release " << book.releases << (book.overReleased ? ", over-released" : "")
                 << (book.alive ? "" : ", destroyed") << "\n";
        }
    }
    return text.str();
}

int64_t Host::callCount(const std::string& operation) const {
    for (size_t i = 0; i < static_cast<size_t>(Op::Count); ++i) {
        if (operation == opNames[i]) {
            return impl_->calls[i];
        }
    }
    return -1;
}

void Host::resetCallCounts() {
    impl_->calls.fill(0);
    impl_->releases.clear();
}

const std::vector<std::string>& Host::releaseOrder() const {
    return impl_->releases;
}

}  // namespace sim
