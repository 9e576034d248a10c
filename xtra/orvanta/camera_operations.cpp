// The camera's five internal operations (the last slots of its interface table): they keep the
// derived data of a CameraState in step with what a script set.
#include "xtra/camera/orientation.h"
#include "xtra/frame/stage_window.h"
#include "xtra/orvanta/method_handlers.h"
#include "xtra/orvanta/script_call.h"

namespace {

// One reference on a host object, given back when the holder goes out of scope, so every path
// out of updateStageSize releases exactly what it obtained.
template <typename HostObject>
class HeldReference {
  public:
    HeldReference() = default;
    HeldReference(const HeldReference&) = delete;
    HeldReference& operator=(const HeldReference&) = delete;
    ~HeldReference() {
        if (object_ != nullptr) {
            object_->ops->Release(object_);
        }
    }

    HostObject* get() const { return object_; }
    // Where the host writes the object; only written while nothing is held.
    HostObject** receive() { return &object_; }
    // A host that reports a failure has handed over nothing, whatever it left in the slot.
    void forget() { object_ = nullptr; }

  private:
    HostObject* object_ = nullptr;
};

// Runs one host step that hands out an object. A failing status stops with that status; a
// success that hands out no object is a host fault and stops with StatusNotAvailable.
template <typename Step, typename HostObject>
Status obtain(Step step, HeldReference<HostObject>& held) {
    const Status status = step(held.receive());
    if (status != StatusOk) {
        held.forget();
        return status;
    }
    return held.get() != nullptr ? StatusOk : StatusNotAvailable;
}

}  // namespace

Status XTRA_CALL aimAtInterest(InterfaceObject* self) {
    CameraState& camera = cameraOf(self);
    const AimAngles aim = aimAngles(camera.position, camera.interest);
    camera.yaw = aim.yaw;
    camera.pitch = aim.pitch;
    // The roll is the script's and stays.
    updateRotationTable(self);
    return StatusOk;
}

double XTRA_CALL vectorAngle(InterfaceObject* /*self*/, double a, double b, double c, double d) {
    return planeVectorAngle(a, b, c, d);
}

Status XTRA_CALL updateRotationTable(InterfaceObject* self) {
    CameraState& camera = cameraOf(self);
    camera.rotationTable = rotationTableFor(camera.pitch, camera.yaw, camera.roll);
    return StatusOk;
}

Status XTRA_CALL updateProjectionScale(InterfaceObject* self) {
    CameraState& camera = cameraOf(self);
    const ProjectionScales scales =
        projectionScales(camera.fieldOfView, camera.pictureRatio, camera.centreV);
    camera.fieldOfView = scales.fieldOfView;
    camera.scaleH = scales.scaleH;
    camera.scaleV = scales.scaleV;
    return StatusOk;
}

Status XTRA_CALL updateStageSize(InterfaceObject* self) {
    HostServices* services = self->instance->hostServices;
    if (services == nullptr) {
        return StatusOk;
    }
    // Declared in this order so that they are released window first, services last.
    HeldReference<PresentationServices> presentationServices;
    HeldReference<PresentationObject> presentation;
    HeldReference<WindowObject> window;

    // Without presentation services there is no stage to read: nothing changes, and that is
    // not a failure.
    if (obtain(
            [&](PresentationServices** out) {
                return services->ops->QueryInterface(services, &IID_PresentationServices,
                                                     reinterpret_cast<void**>(out));
            },
            presentationServices) != StatusOk) {
        return StatusOk;
    }

    Status status = obtain(
        [&](PresentationObject** out) {
            PresentationServices* host = presentationServices.get();
            return host->ops->GetPresentation(host, out);
        },
        presentation);
    if (status != StatusOk) {
        return status;
    }
    status = obtain(
        [&](WindowObject** out) {
            PresentationObject* host = presentation.get();
            return host->ops->GetPresentationWindow(host, out);
        },
        window);
    if (status != StatusOk) {
        return status;
    }
    NativeWindowRecord record{};
    status = window.get()->ops->GetNativeWindow(window.get(), &record);
    if (status != StatusOk) {
        return status;
    }

    StageSize stage = EmptyStage;
    StageRect rect{};
    if (record.kind == NativeWindowKind && readWindowRect(record.window, &rect)) {
        stage = stageSizeOf(rect);
    }
    CameraState& camera = cameraOf(self);
    camera.stageWidth = stage.width;
    camera.stageHeight = stage.height;
    camera.centreH = stage.centreH;
    camera.centreV = stage.centreV;
    return StatusOk;
}
