#include "xtra/boundary/registration.h"

namespace {

constexpr int32_t InfoBufferSize = 64;
constexpr int32_t LoadControlOptions = 3;

// Whole-text, case-sensitive comparison that never reads past the buffer, even when the
// host left it without a terminating zero.
bool bufferHolds(const char (&buffer)[InfoBufferSize], const char* expected) {
    for (int32_t i = 0; i < InfoBufferSize; ++i) {
        if (buffer[i] != expected[i]) {
            return false;
        }
        if (expected[i] == '\0') {
            return true;
        }
    }
    return false;
}

Status checkHostAndStoreEntries(HostInfo* info, RegistrationCache* cache, int32_t context,
                                const ClassRegistration& registration) {
    // One buffer serves both questions. Its first byte is cleared before each, so a host that
    // reports success without writing leaves empty text, which fails its check, and never the
    // previous answer: "Director" must not pass as a version text.
    char buffer[InfoBufferSize] = {};
    Status status = info->ops->GetInfoString(info, InfoApplicationName, buffer, InfoBufferSize);
    if (status != StatusOk) {
        return status;
    }
    if (!bufferHolds(buffer, "Director")) {
        return StatusNotAvailable;
    }
    buffer[0] = '\0';
    status = info->ops->GetInfoString(info, InfoVersionText, buffer, InfoBufferSize);
    if (status != StatusOk) {
        return status;
    }
    // Only the first character counts, as a signed byte: "10" is refused like "5".
    if (static_cast<int8_t>(buffer[0]) < '6') {
        return StatusWrongVersion;
    }

    RegistrationDictionary* loadControl = nullptr;
    cache->ops->GetRegistrationDictionary(cache, context, registration.classId, &IID_LoadControl,
                                          &loadControl);
    if (loadControl != nullptr) {
        const int32_t options = LoadControlOptions;
        loadControl->ops->PutEntry(loadControl, EntryTypeInteger, &options, 0,
                                   "XtraLoadControlOptions");
    }

    RegistrationDictionary* methods = nullptr;
    status = cache->ops->GetRegistrationDictionary(cache, context, registration.classId,
                                                   registration.interfaceId, &methods);
    if (status != StatusOk) {
        return status;
    }
    if (methods == nullptr) {
        // A host that reports success without a dictionary has stored nothing.
        return StatusNotAvailable;
    }
    return methods->ops->PutEntry(methods, EntryTypeText, registration.messageTable, 0, "msgTable");
}

}  // namespace

Status registerClass(InterfaceObject* self, RegistrationCache* cache, int32_t context,
                     const ClassRegistration& registration) {
    HostServices* services = self->instance->hostServices;
    if (services == nullptr) {
        // An instance without the host's services: there is no one to ask.
        return StatusNotAvailable;
    }
    HostInfo* info = nullptr;
    const Status status = queryService(services, IID_HostInfo, &info);
    if (status != StatusOk) {
        // A refusing host has handed over nothing, whatever it left in the pointer: only what
        // was obtained is given back.
        return status;
    }
    if (info == nullptr) {
        // Success without an interface: nothing to ask, so the host cannot be checked.
        return StatusNotAvailable;
    }
    const Status result = checkHostAndStoreEntries(info, cache, context, registration);
    info->ops->Release(info);
    return result;
}

Status XTRA_CALL createRegistration(InstanceRecord*) {
    return StatusOk;
}

void XTRA_CALL destroyRegistration(InstanceRecord*) {}
