// The camera class's create and destroy operations: the host links and the defaults.
#include "xtra/camera_class/camera_class.h"

#include "xtra/camera_class/camera_instance.h"

Status XTRA_CALL createCamera(InstanceRecord* instance) {
    CameraInstance& camera = cameraInstanceOf(instance);
    // Without all three links the rest of the record stays as the host allocated it.
    if (obtainHostLinks(instance->hostServices, camera.links)) {
        storeCameraDefaults(camera.camera);
    }
    return StatusOk;
}

void XTRA_CALL destroyCamera(InstanceRecord* instance) {
    releaseHostLinks(cameraInstanceOf(instance).links);
}
