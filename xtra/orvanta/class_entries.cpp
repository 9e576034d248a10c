// The module's class table: the registration class, then the camera class. The order is
// visible to the host through enumeration.
#include "xtra/frame/class_table.h"
#include "xtra/frame/guids.h"
#include "xtra/frame/registration.h"
#include "xtra/orvanta/camera_class.h"
#include "xtra/orvanta/camera_instance.h"
#include "xtra/orvanta/camera_interface.h"

const ClassEntry moduleClasses[ModuleClassCount] = {
    {&CLSID_RegistrationClass, static_cast<int32_t>(sizeof(InstanceRecord)), createRegistration,
     destroyRegistration, &IID_RegistrationInterface, CreateRegistrationInterface},
    {&CLSID_CameraClass, static_cast<int32_t>(sizeof(CameraInstance)), createCamera, destroyCamera,
     &IID_CameraInterface, CreateCameraInterface},
};
