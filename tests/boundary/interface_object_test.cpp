// Interface objects: reference counts, the live-object counter, creation without memory,
// and the camera class's host links.
#include <cmath>
#include <new>

#include "tests/support/camera_view.h"

namespace test {
namespace {

class InterfaceObjectTest : public CameraFixture {};

TEST_F(InterfaceObjectTest, NewObjectHoldsTwoReferencesOnItsInstance) {
    createCamera(false);
    EXPECT_EQ(iface->refCount, 1);
    EXPECT_EQ(iface->instance, instance.record);
    EXPECT_EQ(host.instanceReferences(instance), 1 + 2);
    // One block of the object's three words: a table pointer, the instance, the count.
    const uint32_t objectBytes = sizeof(void*) == 4 ? 12 : 24;
    EXPECT_EQ(host.allocationSizes(), std::vector<uint32_t>{objectBytes});
}

TEST_F(InterfaceObjectTest, AddRefAndReleaseBalanceOnTheInstance) {
    createCamera(false);
    EXPECT_EQ(sim::addRefObject(iface), 2u);
    EXPECT_EQ(host.instanceReferences(instance), 1 + 3);
    EXPECT_EQ(sim::releaseObject(iface), 1u);
    EXPECT_EQ(host.instanceReferences(instance), 1 + 2);
    EXPECT_EQ(host.liveBlocks(), 1u);

    EXPECT_EQ(sim::releaseObject(iface), 0u);
    iface = nullptr;
    EXPECT_EQ(host.liveBlocks(), 0u) << "the last Release frees the object";
    EXPECT_EQ(host.instanceReferences(instance), 1) << "and gives back both references";
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
}

TEST_F(InterfaceObjectTest, QueryInterfaceIsTheInstancesOwn) {
    createCamera(false);
    void* out = &host;
    EXPECT_EQ(sim::queryObject(iface, ValueServicesId, &out), sim::StatusNoInterface);
    EXPECT_EQ(out, nullptr);
}

TEST_F(InterfaceObjectTest, WithoutMemoryNoObjectAndNoReferences) {
    host.failAllocations(1);
    void* out = &host;
    EXPECT_EQ(sim::createObject(host, module(), CameraClassId, CameraInterfaceId, &instance, &out),
              sim::StatusOutOfMemory);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(host.instanceReferences(instance), 1) << "the host's own reference only";
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
}

// The runtime's new-handler gets a chance to free memory before an allocation fails. Only
// natively: a DLL has its own runtime, whose new-handler a test program cannot install.
#if !defined(_WIN32)
int newHandlerCalls = 0;
void relieveMemory() {
    newHandlerCalls += 1;
    if (newHandlerCalls == 3) {
        std::set_new_handler(nullptr);
    }
}

TEST_F(InterfaceObjectTest, AllocationRetriesWhileANewHandlerIsInstalled) {
    newHandlerCalls = 0;
    host.failAllocations(2);  // two failures, then memory again
    std::set_new_handler(relieveMemory);
    void* out = nullptr;
    EXPECT_EQ(sim::createObject(host, module(), CameraClassId, CameraInterfaceId, &instance, &out),
              0);
    EXPECT_EQ(newHandlerCalls, 2);
    std::set_new_handler(nullptr);
    iface = static_cast<InterfaceObject*>(out);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(host.allocationSizes().size(), 3u);

    // A handler that gives up (uninstalls itself) ends the retries.
    host.failAllocations(100);
    newHandlerCalls = 1;
    std::set_new_handler(relieveMemory);
    void* second = &host;
    EXPECT_EQ(
        module().DllGetInterface(instance.record, &CameraClassId, &CameraInterfaceId, &second),
        sim::StatusOutOfMemory);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(newHandlerCalls, 3);
    host.failAllocations(0);
}
#endif

TEST_F(InterfaceObjectTest, CameraHoldsItsThreeHostLinksUntilDestroyed) {
    createCamera(false);
    // The links are the camera's first three words, after the host's header.
    EXPECT_EQ(sim::classWord(instance, 0), host.service(ValueServicesId));
    EXPECT_EQ(sim::classWord(instance, 1), host.service(ListServicesId));
    EXPECT_EQ(sim::classWord(instance, 2), host.service(AuxServicesId));
    // Three service references plus the interface object's two on the instance.
    EXPECT_EQ(host.outstandingReferences(), 3 + 2);
    destroyCamera();
    EXPECT_EQ(host.outstandingReferences(), 0);
}

TEST_F(InterfaceObjectTest, CameraMissingAServiceStoresNoDefaultsAndReleasesWhatItGot) {
    for (const Guid* missing : {&ValueServicesId, &ListServicesId, &AuxServicesId}) {
        host.withhold(*missing);
        createCamera(false);
        const CameraState& state = camera();
        EXPECT_EQ(sim::classWord(instance, 0) == nullptr, missing == &ValueServicesId);
        EXPECT_EQ(sim::classWord(instance, 1) == nullptr, missing == &ListServicesId);
        EXPECT_EQ(sim::classWord(instance, 2) == nullptr, missing == &AuxServicesId);
        // The host allocated the record zeroed; no default was written over it.
        EXPECT_EQ(state.farPlane, 0.0);
        EXPECT_EQ(state.centreV, 0.0);
        EXPECT_EQ(state.tracksInterest, 0);
        EXPECT_EQ(host.outstandingReferences(), 2 + 2) << "two links and the object's two";
        destroyCamera();
        EXPECT_EQ(host.outstandingReferences(), 0);
        host.withhold(*missing, false);
    }
}

TEST_F(InterfaceObjectTest, CreationStoresTheDefaults) {
    createCamera(false);
    const CameraState& state = camera();
    EXPECT_EQ(state.position.x, 0.0);
    EXPECT_EQ(state.position.y, 2.0);
    EXPECT_EQ(state.position.z, 20.0);
    EXPECT_EQ(state.interest.x, 0.0);
    EXPECT_EQ(state.interest.y, 0.0);
    EXPECT_EQ(state.interest.z, 0.0);
    EXPECT_EQ(state.pitch, -0.0997);
    EXPECT_EQ(state.yaw, 0.0);
    EXPECT_EQ(state.roll, 0.0);
    EXPECT_EQ(state.fieldOfView, 4.0 * std::atan2(1.0, 1.0) * 0.23077222222222224);
    EXPECT_EQ(state.pictureRatio, 1.18);
    EXPECT_EQ(state.nearPlane, 0.1);
    EXPECT_EQ(state.farPlane, 32768.0);
    EXPECT_EQ(state.tracksInterest, 1);
    EXPECT_EQ(state.lastView.z, 0.0);
    EXPECT_EQ(state.lastScreen.h, 0.0);
    EXPECT_EQ(state.scaleH, 0.0);
    EXPECT_EQ(state.scaleV, 0.0);
    EXPECT_EQ(state.centreH, 400.0);
    EXPECT_EQ(state.centreV, 300.0);
}

TEST_F(InterfaceObjectTest, ManyObjectsOnOneInstanceCountIndependently) {
    createCamera(false);
    std::vector<InterfaceObject*> more;
    for (int i = 0; i < 5; ++i) {
        void* out = nullptr;
        ASSERT_EQ(
            module().DllGetInterface(instance.record, &CameraClassId, &CameraInterfaceId, &out), 0);
        more.push_back(static_cast<InterfaceObject*>(out));
    }
    EXPECT_EQ(host.instanceReferences(instance), 1 + 2 * 6);
    // Released in an order other than creation.
    for (size_t i : {3u, 0u, 4u, 2u, 1u}) {
        sim::releaseObject(more[i]);
    }
    EXPECT_EQ(host.instanceReferences(instance), 1 + 2);
    EXPECT_EQ(module().DllCanUnloadNow(), sim::StatusInUse);
}

}  // namespace
}  // namespace test
