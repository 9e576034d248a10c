// The camera class's create and destroy operations: the host links and the defaults.
#include "xtra/camera_class/camera_class.h"

#include "xtra/camera_class/camera_instance.h"

namespace {

template <typename Service>
void giveBack(Service*& link) {
    if (link != nullptr) {
        link->ops->Release(link);
        link = nullptr;
    }
}

}  // namespace

Status XTRA_CALL createCamera(InstanceRecord* instance) {
    CameraInstance& camera = *reinterpret_cast<CameraInstance*>(instance);
    HostServices* services = instance->hostServices;
    HostLinks& links = camera.links;
    // All three are asked for, whatever the earlier requests gave; the statuses are not looked
    // at, only whether a link arrived.
    queryService(services, IID_ValueServices, &links.valueServices);
    queryService(services, IID_ListServices, &links.listServices);
    queryService(services, IID_AuxServices, &links.auxServices);
    if (links.valueServices != nullptr && links.listServices != nullptr &&
        links.auxServices != nullptr) {
        storeCameraDefaults(camera.camera);
    }
    return StatusOk;
}

void XTRA_CALL destroyCamera(InstanceRecord* instance) {
    HostLinks& links = reinterpret_cast<CameraInstance*>(instance)->links;
    giveBack(links.valueServices);
    giveBack(links.listServices);
    giveBack(links.auxServices);
}
