// The camera class's create and destroy operations: the host links and the defaults.
#include "xtra/orvanta/camera_class.h"

#include "xtra/camera/camera_state.h"

namespace {

template <typename Service>
void obtain(HostServices* services, const Guid& iid, Service** link) {
    *link = nullptr;
    services->ops->QueryInterface(services, &iid, reinterpret_cast<void**>(link));
}

template <typename Service>
void giveBack(Service*& link) {
    if (link != nullptr) {
        link->ops->Release(link);
        link = nullptr;
    }
}

}  // namespace

Status XTRA_CALL createCamera(InstanceRecord* instance) {
    CameraState& camera = reinterpret_cast<CameraInstance*>(instance)->camera;
    HostServices* services = instance->hostServices;
    // All three are asked for, whatever the earlier requests gave.
    obtain(services, IID_ValueServices, &camera.valueServices);
    obtain(services, IID_ListServices, &camera.listServices);
    obtain(services, IID_AuxServices, &camera.auxServices);
    if (camera.valueServices != nullptr && camera.listServices != nullptr &&
        camera.auxServices != nullptr) {
        storeCameraDefaults(camera);
    }
    return StatusOk;
}

void XTRA_CALL destroyCamera(InstanceRecord* instance) {
    CameraState& camera = reinterpret_cast<CameraInstance*>(instance)->camera;
    giveBack(camera.valueServices);
    giveBack(camera.listServices);
    giveBack(camera.auxServices);
}
