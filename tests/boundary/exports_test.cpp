// The five exports and the class table, as the host reads them.
#include <cstring>

#include "tests/support/script_fixture.h"

namespace test {
namespace {

const Guid ClassFactoryId = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const Guid UnknownId = {
    0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
// The camera's class and interface ids but for their last byte: identifiers are told apart by
// all 16 bytes.
const Guid NearlyCameraClassId = {
    0x5E1C7A41, 0x3B2D, 0x4F61, {0x9A, 0x8E, 0x2C, 0x4D, 0x6B, 0x7F, 0x1A, 0x04}};
const Guid NearlyCameraInterfaceId = {
    0xAC401FB6, 0x0001, 0xF9B0, {0x00, 0x00, 0x08, 0x00, 0x07, 0x2C, 0x63, 0x27}};

// A record written out byte by byte, little-endian, as the host parses it.
std::vector<uint8_t> recordBytes(const Guid& classId, uint32_t version, const Guid& interfaceId,
                                 uint32_t value) {
    std::vector<uint8_t> bytes(40);
    auto put32 = [&](size_t at, uint32_t word) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(word >> (8 * i));
    };
    auto putGuid = [&](size_t at, const Guid& guid) {
        put32(at, guid.data1);
        bytes[at + 4] = static_cast<uint8_t>(guid.data2);
        bytes[at + 5] = static_cast<uint8_t>(guid.data2 >> 8);
        bytes[at + 6] = static_cast<uint8_t>(guid.data3);
        bytes[at + 7] = static_cast<uint8_t>(guid.data3 >> 8);
        std::memcpy(&bytes[at + 8], guid.data4, 8);
    };
    putGuid(0, classId);
    put32(16, version);
    putGuid(20, interfaceId);
    put32(36, value);
    return bytes;
}

std::vector<uint8_t> bytesAt(const void* memory, size_t count) {
    const auto* start = static_cast<const uint8_t*>(memory);
    return std::vector<uint8_t>(start, start + count);
}

// The instance sizes the host allocates: 24 and 360 bytes for the shipped 32-bit module; the
// 64-bit test build's wider pointers (header words and host links) make them 48 and 392.
constexpr bool Shipped = sizeof(void*) == 4;
constexpr int32_t HeaderSize = Shipped ? 24 : 48;
constexpr int32_t CameraInstanceSize = Shipped ? 360 : 392;

class ExportsTest : public ScriptFixture {};

TEST_F(ExportsTest, ClassInfoListsBothClassesAndTheirInterfacesByteForByte) {
    ClassInfoRecord* records = nullptr;
    ASSERT_EQ(module().DllGetClassInfo(host.allocator(), &records), 0);
    ASSERT_NE(records, nullptr);
    EXPECT_EQ(host.allocationSizes(), std::vector<uint32_t>{200});

    const uint8_t* raw = reinterpret_cast<const uint8_t*>(records);
    EXPECT_EQ(bytesAt(raw, 40), recordBytes(RegistrationClassId, 0x20040, ClassFactoryId, 1));
    EXPECT_EQ(bytesAt(raw + 40, 40),
              recordBytes(RegistrationClassId, 0x20040, RegistrationInterfaceId, 0x20040));
    EXPECT_EQ(bytesAt(raw + 80, 40), recordBytes(CameraClassId, 0x20040, ClassFactoryId, 1));
    EXPECT_EQ(bytesAt(raw + 120, 40),
              recordBytes(CameraClassId, 0x20040, CameraInterfaceId, 0x20040));
    // The terminator: both identifiers all zero bytes.
    EXPECT_EQ(bytesAt(raw + 160, 16), std::vector<uint8_t>(16, 0));
    EXPECT_EQ(bytesAt(raw + 180, 16), std::vector<uint8_t>(16, 0));

    // The array is the host's now; the host gives it back itself.
    host.allocator()->ops->Free(host.allocator(), records);
}

TEST_F(ExportsTest, ClassInfoWithoutMemoryReportsItAndLeavesNothingBehind) {
    host.failAllocations(1);
    ClassInfoRecord* records = reinterpret_cast<ClassInfoRecord*>(&host);
    EXPECT_EQ(module().DllGetClassInfo(host.allocator(), &records), sim::StatusOutOfMemory);
    EXPECT_EQ(records, nullptr);
    EXPECT_EQ(host.liveBlocks(), 0u);
}

TEST_F(ExportsTest, ClassFormGivesEachClassItsSizeAndOperations) {
    int32_t size = -1;
    CreateOperation create = nullptr;
    DestroyOperation destroy = nullptr;

    ASSERT_EQ(module().DllGetClassForm(&CameraClassId, &size, &create, &destroy), 0);
    EXPECT_EQ(size, CameraInstanceSize);
    const CreateOperation cameraCreate = create;
    EXPECT_NE(cameraCreate, nullptr);
    EXPECT_NE(destroy, nullptr);

    ASSERT_EQ(module().DllGetClassForm(&RegistrationClassId, &size, &create, &destroy), 0);
    EXPECT_EQ(size, HeaderSize);
    EXPECT_NE(create, cameraCreate);
    // The registration class's operations do nothing, whatever record they get.
    EXPECT_EQ(create(nullptr), 0);
    destroy(nullptr);

    // A null class id is no filter: the first class of the table answers.
    int32_t firstSize = -1;
    ASSERT_EQ(module().DllGetClassForm(nullptr, &firstSize, &create, &destroy), 0);
    EXPECT_EQ(firstSize, size);
}

TEST_F(ExportsTest, ClassFormOfAnUnknownClassLeavesTheOutArgumentsAlone) {
    for (const Guid* unknown : {&UnknownId, &NearlyCameraClassId}) {
        int32_t size = -7;
        CreateOperation create = nullptr;
        DestroyOperation destroy = nullptr;
        EXPECT_EQ(module().DllGetClassForm(unknown, &size, &create, &destroy),
                  sim::StatusNotImplemented);
        EXPECT_EQ(size, -7);
        EXPECT_EQ(create, nullptr);
        EXPECT_EQ(destroy, nullptr);
    }
}

TEST_F(ExportsTest, ClassObjectIsNeverImplemented) {
    void* out = &host;
    EXPECT_EQ(module().DllGetClassObject(&CameraClassId, &CameraInterfaceId, &out),
              sim::StatusNotImplemented);
    EXPECT_EQ(module().DllGetClassObject(nullptr, nullptr, nullptr), sim::StatusNotImplemented);
}

TEST_F(ExportsTest, InterfaceIsFoundOnlyThroughItsOwnClass) {
    createCamera(false);
    void* out = &host;
    EXPECT_EQ(
        module().DllGetInterface(instance.record, &CameraClassId, &RegistrationInterfaceId, &out),
        sim::StatusNotAvailable);
    EXPECT_EQ(out, &host);
    EXPECT_EQ(module().DllGetInterface(instance.record, &UnknownId, &CameraInterfaceId, &out),
              sim::StatusNotAvailable);
    for (const Guid* unknown : {&UnknownId, &NearlyCameraInterfaceId}) {
        EXPECT_EQ(module().DllGetInterface(instance.record, &CameraClassId, unknown, &out),
                  sim::StatusNotAvailable);
    }
    EXPECT_EQ(out, &host);

    // A null class id searches every class.
    ASSERT_EQ(module().DllGetInterface(instance.record, nullptr, &CameraInterfaceId, &out), 0);
    EXPECT_NE(out, iface);
    EXPECT_EQ(host.instanceReferences(instance), 1 + 2 + 2) << "a second object on this instance";
    EXPECT_EQ(sim::addRefObject(out), 2u) << "that starts with one reference";
    EXPECT_EQ(module().DllCanUnloadNow(), sim::StatusInUse);
    sim::releaseObject(out);
    sim::releaseObject(out);
}

TEST_F(ExportsTest, ModuleStaysLoadedWhileAnyInterfaceOfEitherClassLives) {
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
    createCamera(false);
    EXPECT_EQ(module().DllCanUnloadNow(), sim::StatusInUse);

    sim::Instance registration;
    void* registrar = nullptr;
    ASSERT_EQ(sim::createObject(host, module(), RegistrationClassId, RegistrationInterfaceId,
                                &registration, &registrar),
              0);

    destroyCamera();
    EXPECT_EQ(module().DllCanUnloadNow(), sim::StatusInUse);
    EXPECT_TRUE(sim::destroyObject(host, registration, registrar));
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
}

}  // namespace
}  // namespace test
