#include "xtra/boundary/interface_object.h"

#include <new>

int32_t liveInterfaceCount = 0;

Status XTRA_CALL interfaceQueryInterface(InterfaceObject* self, const Guid* iid, void** out) {
    // The host, not the module, decides which interfaces an instance has.
    InstanceRecord* instance = self->instance;
    return instance->ops->QueryInterface(instance, iid, out);
}

uint32_t XTRA_CALL interfaceAddRef(InterfaceObject* self) {
    InstanceRecord* instance = self->instance;
    instance->ops->AddRef(instance);
    self->refCount += 1;
    return static_cast<uint32_t>(self->refCount);
}

uint32_t XTRA_CALL interfaceRelease(InterfaceObject* self) {
    // Everything needed after the object may be freed is read first.
    InstanceRecord* instance = self->instance;
    const int32_t remaining = self->refCount - 1;
    self->refCount = remaining;
    if (remaining == 0) {
        Allocator* allocator = instance->allocator;
        allocator->ops->Free(allocator, self);
        liveInterfaceCount -= 1;
        // The reference held for the object's life.
        instance->ops->Release(instance);
    }
    // The reference the caller gives back.
    instance->ops->Release(instance);
    return static_cast<uint32_t>(remaining);
}

namespace {

// While the host's Allocator returns null and the runtime has a new-handler installed, the
// handler runs and the allocation is tried again.
void* allocateWithRetry(Allocator* allocator, uint32_t size) {
    for (;;) {
        void* block = allocator->ops->Allocate(allocator, size);
        if (block != nullptr) {
            return block;
        }
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr) {
            return nullptr;
        }
        handler();
    }
}

}  // namespace

Status createInterfaceObject(InstanceRecord* instance, const void* ops, void** out) {
    void* block = allocateWithRetry(instance->allocator, sizeof(InterfaceObject));
    if (block == nullptr) {
        *out = nullptr;
        return StatusOutOfMemory;
    }
    auto* object = new (block) InterfaceObject{};
    object->instance = instance;
    object->refCount = 1;
    // One reference for the object's life and one for its first reference.
    instance->ops->AddRef(instance);
    instance->ops->AddRef(instance);
    liveInterfaceCount += 1;
    object->ops = ops;
    *out = object;
    return StatusOk;
}
