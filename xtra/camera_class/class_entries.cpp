#include "xtra/camera_class/class_entries.h"

#include "xtra/camera_class/camera_class.h"
#include "xtra/camera_class/camera_instance.h"
#include "xtra/camera_class/camera_interface.h"
#include "xtra/camera_class/class_ids.h"
#include "xtra/camera_class/message_table.h"

namespace {

const ClassEntry moduleClasses[] = {
    {&CLSID_RegistrationClass, static_cast<int32_t>(sizeof(InstanceRecord)), createRegistration,
     destroyRegistration, &IID_RegistrationInterface, createRegistrationInterface},
    {&CLSID_CameraClass, static_cast<int32_t>(sizeof(CameraInstance)), createCamera, destroyCamera,
     &IID_CameraInterface, createCameraInterface},
};

// The camera class's script interface: its message table, under the camera interface.
const ClassRegistration cameraRegistration = {&CLSID_CameraClass, &IID_CameraInterface,
                                              messageTable};

Status XTRA_CALL registerCameraClass(InterfaceObject* self, RegistrationCache* cache,
                                     int32_t context) {
    return registerClass(self, cache, context, cameraRegistration);
}

}  // namespace

const ClassTable moduleClassTable = {
    moduleClasses, static_cast<int32_t>(sizeof(moduleClasses) / sizeof(ClassEntry))};

const RegistrationInterfaceOps registrationInterfaceOps = {
    interfaceQueryInterface,
    interfaceAddRef,
    interfaceRelease,
    registerCameraClass,
};

Status XTRA_CALL createRegistrationInterface(InstanceRecord* instance, void** out) {
    return createInterfaceObject(instance, &registrationInterfaceOps, out);
}
