// The module's class table: the registration class, then the camera class. The order is
// visible to the host through enumeration.
#include "xtra/boundary/class_table.h"
#include "xtra/boundary/guids.h"
#include "xtra/boundary/registration.h"
#include "xtra/camera_class/camera_class.h"
#include "xtra/camera_class/camera_instance.h"
#include "xtra/camera_class/camera_interface.h"

const ClassEntry moduleClasses[ModuleClassCount] = {
    {&CLSID_RegistrationClass, static_cast<int32_t>(sizeof(InstanceRecord)), createRegistration,
     destroyRegistration, &IID_RegistrationInterface, CreateRegistrationInterface},
    {&CLSID_CameraClass, static_cast<int32_t>(sizeof(CameraInstance)), createCamera, destroyCamera,
     &IID_CameraInterface, CreateCameraInterface},
};
