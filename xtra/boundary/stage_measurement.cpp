// The stage's size, measured through the host: presentation services, the presentation, its
// window, the native window record, and the window's rectangle.
#include "xtra/boundary/stage_window.h"

namespace {

// One reference on a host object, given back when the holder goes out of scope, so every path
// out of measureStage releases exactly what it obtained.
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

StageSize stageSizeOf(const StageRect& rect) {
    const int64_t width = static_cast<int64_t>(rect.right) - rect.left;
    const int64_t height = static_cast<int64_t>(rect.bottom) - rect.top;
    return StageSize{static_cast<double>(width), static_cast<double>(height)};
}

StageReading measureStage(HostServices* services) {
    if (services == nullptr) {
        return StageReading{StatusOk, false, EmptyStage};
    }
    // Declared in this order so that they are released window first, services last.
    HeldReference<PresentationServices> presentationServices;
    HeldReference<PresentationObject> presentation;
    HeldReference<WindowObject> window;

    // Without presentation services there is no stage to read: nothing changes, and that is
    // not a failure.
    if (obtain(
            [&](PresentationServices** out) {
                return queryService(services, IID_PresentationServices, out);
            },
            presentationServices) != StatusOk) {
        return StageReading{StatusOk, false, EmptyStage};
    }

    Status status = obtain(
        [&](PresentationObject** out) {
            PresentationServices* host = presentationServices.get();
            return host->ops->GetPresentation(host, out);
        },
        presentation);
    if (status != StatusOk) {
        return StageReading{status, false, EmptyStage};
    }
    status = obtain(
        [&](WindowObject** out) {
            PresentationObject* host = presentation.get();
            return host->ops->GetPresentationWindow(host, out);
        },
        window);
    if (status != StatusOk) {
        return StageReading{status, false, EmptyStage};
    }
    NativeWindowRecord record{};
    status = window.get()->ops->GetNativeWindow(window.get(), &record);
    if (status != StatusOk) {
        return StageReading{status, false, EmptyStage};
    }

    StageSize stage = EmptyStage;
    StageRect rect{};
    if (record.kind == NativeWindowKind && readWindowRect(record.window, &rect)) {
        stage = stageSizeOf(rect);
    }
    return StageReading{StatusOk, true, stage};
}
