#include "xtra/frame/class_table.h"

#include "xtra/camera/camera_state.h"
#include "xtra/frame/guids.h"
#include "xtra/frame/interface_object.h"

namespace {

Status XTRA_CALL createNothing(InstanceRecord*) {
    return StatusOk;
}
void XTRA_CALL destroyNothing(InstanceRecord*) {}

struct ClassEntry {
    const Guid* classId;
    int32_t instanceSize;
    CreateOperation create;
    DestroyOperation destroy;
    const Guid* interfaceId;
    InterfaceCreator creator;
};

// The order is visible to the host through enumeration.
const ClassEntry classTable[] = {
    {&CLSID_RegistrationClass, static_cast<int32_t>(sizeof(InstanceRecord)), createNothing,
     destroyNothing, &IID_RegistrationInterface, CreateRegistrationInterface},
    {&CLSID_CameraClass, static_cast<int32_t>(sizeof(CameraInstance)), createCamera, destroyCamera,
     &IID_CameraInterface, CreateCameraInterface},
};

}  // namespace

int32_t enumerateClasses(const Guid* filter, ClassVisitor classVisitor,
                         InterfaceVisitor interfaceVisitor, void* context) {
    for (const ClassEntry& entry : classTable) {
        if (filter != nullptr && !sameGuid(*filter, *entry.classId)) {
            continue;
        }
        if (classVisitor != nullptr) {
            const int32_t answer = classVisitor(*entry.classId, ClassVersion, entry.instanceSize,
                                                entry.create, entry.destroy, context);
            if (answer != 0) {
                return answer;
            }
        }
        if (interfaceVisitor != nullptr) {
            const int32_t answer =
                interfaceVisitor(*entry.classId, ClassVersion, *entry.interfaceId, InterfaceVersion,
                                 entry.creator, context);
            if (answer != 0) {
                return answer;
            }
        }
    }
    return 0;
}
