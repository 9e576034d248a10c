// The simulated host's objects: reference books, HostServices, Allocator, HostInfo,
// registration, the presentation chain and instance records.
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "simhost/interface_ids.h"
#include "simhost/sim_host_impl.h"

namespace sim {

OperationTable operationTable(std::initializer_list<SlotEntry> entries) {
    OperationTable table{};
    for (const SlotEntry& entry : entries) {
        table.slots[entry.slot] = entry.operation;
    }
    return table;
}

namespace {

// The host's header of an instance record (InstanceHeaderWords), word by word: 0 the instance's
// own table, 2 HostServices, 3 Allocator; words 1 and 4 are this host's own book-keeping (its
// state and the record's reference book), 5 is unused.
void putWord(InstanceRecord* record, size_t word, const void* value) {
    std::memcpy(reinterpret_cast<char*>(record) + word * sizeof(void*), &value, sizeof(void*));
}
void* wordOf(InstanceRecord* record, size_t word) {
    void* value = nullptr;
    std::memcpy(&value, reinterpret_cast<const char*>(record) + word * sizeof(void*),
                sizeof(void*));
    return value;
}

Host::Impl& implOf(InstanceRecord* record) {
    return *static_cast<Host::Impl*>(wordOf(record, 1));
}
size_t bookOf(InstanceRecord* record) {
    return reinterpret_cast<uintptr_t>(wordOf(record, 4));
}

// --- HostServices: the way to every other service.
Status XTRA_CALL hostQueryInterface(HostServices* self, const Guid* iid, void** out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::QueryInterface);
    *out = nullptr;
    if (host.isWithheld(*iid)) {
        return StatusNoInterface;
    }
    SimObject* const service = host.serviceOf(*iid);
    if (service == nullptr) {
        return StatusNoInterface;
    }
    host.addRef(service->id);
    *out = service;
    return StatusOk;
}

const OperationTable& hostServicesTable() {
    static const OperationTable table = hostTable<HostServices>({}, hostQueryInterface);
    return table;
}

// Obtained and released by a module, never called.
const OperationTable& auxServicesTable() {
    static const OperationTable table = hostTable<AuxServices>({});
    return table;
}

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

const OperationTable& allocatorTable() {
    static const OperationTable table =
        hostTable<Allocator>({slot(3, allocate), slot(4, freeBlock)});
    return table;
}

// --- HostInfo.
Status XTRA_CALL getInfoString(HostInfo* self, int32_t selector, char* buffer, int32_t size) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetInfoString);
    host.infoRequests.emplace_back(selector, size);
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

const OperationTable& hostInfoTable() {
    static const OperationTable table = hostTable<HostInfo>({slot(3, getInfoString)});
    return table;
}

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

const OperationTable& dictionaryTable() {
    static const OperationTable table = hostTable<RegistrationDictionary>({slot(6, putEntry)});
    return table;
}

Status XTRA_CALL getRegistrationDictionary(RegistrationCache* self, int32_t context,
                                           const Guid* classId, const Guid* interfaceId,
                                           RegistrationDictionary** out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetRegistrationDictionary);
    host.dictionaryContexts.push_back(context);
    for (const auto& failure : host.dictionaryFailures) {
        if (sameId(failure.first, *interfaceId)) {
            *out = failure.second.returnNull ? nullptr : *out;
            return failure.second.status;
        }
    }
    for (const auto& dictionary : host.dictionaries) {
        if (sameId(dictionary.first.first, *classId) &&
            sameId(dictionary.first.second, *interfaceId)) {
            *out = reinterpret_cast<RegistrationDictionary*>(dictionary.second);
            return StatusOk;
        }
    }
    SimObject* dictionary = host.makeObject(dictionaryTable(), "RegistrationDictionary");
    host.dictionaries.push_back({{*classId, *interfaceId}, dictionary});
    *out = reinterpret_cast<RegistrationDictionary*>(dictionary);
    return StatusOk;
}

const OperationTable& registrationCacheTable() {
    static const OperationTable table =
        hostTable<RegistrationCache>({slot(7, getRegistrationDictionary)});
    return table;
}

// --- The presentation chain: services, presentation, window, native record.
Status XTRA_CALL getNativeWindow(WindowObject* self, NativeWindowRecord* out) {
    Host::Impl& host = hostOf(self);
    host.count(Op::GetNativeWindow);
    const Status failure = host.presentationFailure(PresentationStep::NativeWindow);
    if (failure != StatusOk) {
        return failure;
    }
    // The host's own idea of the record: the kind in word 0 and the window handle in word 2
    // (byte 8), and, when a test asks for it, that many bytes of filler from the record's
    // start, as a host with a larger record than the plug-in expects would write.
    auto* record = reinterpret_cast<char*>(out);
    if (host.nativeRecordFill > 0) {
        std::memset(record, 0xA5, host.nativeRecordFill);
    }
    const int32_t kind = host.stageKind;
    void* const window = host.stageHandle();
    std::memcpy(record, &kind, sizeof kind);
    std::memcpy(record + 8, &window, sizeof window);
    return StatusOk;
}

const OperationTable& windowTable() {
    static const OperationTable table = hostTable<WindowObject>({slot(5, getNativeWindow)});
    return table;
}

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

const OperationTable& presentationTable() {
    static const OperationTable table =
        hostTable<PresentationObject>({slot(19, getPresentationWindow)});
    return table;
}

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

const OperationTable& presentationServicesTable() {
    static const OperationTable table = hostTable<PresentationServices>({slot(6, getPresentation)});
    return table;
}

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
const OperationTable& instanceTable() {
    static const OperationTable table = operationTable(
        {slot(0, instanceQueryInterface), slot(1, instanceAddRef), slot(2, instanceRelease)});
    return table;
}

}  // namespace

Host::Impl::Impl() {
    hostServices = makeObject(hostServicesTable(), "HostServices");
    allocator = makeObject(allocatorTable(), "Allocator");
    valueServices = makeObject(valueServicesTable(), "ValueServices");
    listServices = makeObject(listServicesTable(), "ListServices");
    auxServices = makeObject(auxServicesTable(), "AuxServices");
    presentationServices = makeObject(presentationServicesTable(), "PresentationServices");
    hostInfo = makeObject(hostInfoTable(), "HostInfo");
    registrationCache = makeObject(registrationCacheTable(), "RegistrationCache");
    presentation = makeObject(presentationTable(), "PresentationObject");
    window = makeObject(windowTable(), "WindowObject");
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

SimObject* Host::Impl::makeObject(const OperationTable& table, const std::string& name) {
    const size_t id = books.size();
    books.push_back(ObjectBook{name});
    objects.push_back(std::make_unique<SimObject>(SimObject{table.slots, this, id}));
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

SimObject* Host::Impl::serviceOf(const Guid& iid) const {
    const std::pair<const Guid*, SimObject*> services[] = {
        {&ValueServicesId, valueServices}, {&ListServicesId, listServices},
        {&AuxServicesId, auxServices},     {&PresentationServicesId, presentationServices},
        {&HostInfoId, hostInfo},
    };
    for (const auto& service : services) {
        if (sameId(iid, *service.first)) {
            return service.second;
        }
    }
    return nullptr;
}

bool Host::Impl::isWithheld(const Guid& iid) const {
    for (const Guid& guid : withheld) {
        if (sameId(guid, iid)) {
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

void* Host::service(const Guid& iid) const {
    return impl_->serviceOf(iid);
}

void Host::withhold(const Guid& iid, bool withheld) {
    auto& list = impl_->withheld;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (sameId(*it, iid)) {
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
void Host::freeBlock(void* block) {
    sim::freeBlock(allocator(), block);
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
const std::vector<std::pair<int32_t, int32_t>>& Host::infoRequests() const {
    return impl_->infoRequests;
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
const std::vector<int32_t>& Host::dictionaryRequests() const {
    return impl_->dictionaryContexts;
}
void Host::endRegistrationFailures() {
    impl_->infoFailures.clear();
    impl_->dictionaryFailures.clear();
    impl_->putFailures.clear();
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
        size < static_cast<int32_t>(InstanceHeaderWords * sizeof(void*))) {
        return instance;
    }
    void* memory = std::calloc(1, static_cast<size_t>(size));
    auto* record = static_cast<InstanceRecord*>(memory);
    const size_t book = impl_->books.size();
    impl_->books.push_back(ObjectBook{"instance record"});
    impl_->objects.push_back(nullptr);
    putWord(record, 0, instanceTable().slots);
    putWord(record, 1, impl_.get());
    putWord(record, 2, hostServices());
    putWord(record, 3, allocator());
    putWord(record, 4, reinterpret_cast<void*>(static_cast<uintptr_t>(book)));
    // A create operation that fails leaves no instance: the record goes back unused.
    if (create(record) != StatusOk) {
        std::free(record);
        impl_->books[book].alive = false;
        impl_->books[book].references = 0;
        return instance;
    }
    instance.record = record;
    instance.object = book;
    instance.size = size;
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
