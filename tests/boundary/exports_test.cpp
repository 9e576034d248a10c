// The five exports and the class table, as the host reads them.
#include <cstring>

#include "tests/support/script_fixture.h"

namespace test {
namespace {

const Guid ClassFactoryId = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const Guid UnknownId = {
    0x12345678, 0x9ABC, 0xDEF0, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

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

// Instance sizes counted from the layout the host shares with the module: a header of six
// pointer-sized words, then (camera only) three host links, padded to the eight-byte alignment
// of the 39 doubles that follow, and the one-byte tracking flag padded to eight. The shipped
// 32-bit module gives 24 and 360; a 64-bit test build, with its wider pointers, 48 and 392.
constexpr int32_t Word = static_cast<int32_t>(sizeof(void*));
constexpr int32_t HeaderSize = 6 * Word;
constexpr int32_t CameraInstanceSize = HeaderSize + (3 * Word + 7) / 8 * 8 + 39 * 8 + 8;
static_assert(Word != 4 || (HeaderSize == 24 && CameraInstanceSize == 360), "32-bit sizes");

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
    EXPECT_EQ(module().DllGetClassInfo(host.allocator(), &records), StatusOutOfMemory);
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
    int32_t size = -7;
    CreateOperation create = nullptr;
    DestroyOperation destroy = nullptr;
    EXPECT_EQ(module().DllGetClassForm(&UnknownId, &size, &create, &destroy), StatusNotImplemented);
    EXPECT_EQ(size, -7);
    EXPECT_EQ(create, nullptr);
    EXPECT_EQ(destroy, nullptr);
}

TEST_F(ExportsTest, ClassObjectIsNeverImplemented) {
    void* out = &host;
    EXPECT_EQ(module().DllGetClassObject(&CameraClassId, &CameraInterfaceId, &out),
              StatusNotImplemented);
    EXPECT_EQ(module().DllGetClassObject(nullptr, nullptr, nullptr), StatusNotImplemented);
}

TEST_F(ExportsTest, InterfaceIsFoundOnlyThroughItsOwnClass) {
    createCamera(false);
    void* out = &host;
    EXPECT_EQ(
        module().DllGetInterface(instance.record, &CameraClassId, &RegistrationInterfaceId, &out),
        StatusNotAvailable);
    EXPECT_EQ(out, &host);
    EXPECT_EQ(module().DllGetInterface(instance.record, &UnknownId, &CameraInterfaceId, &out),
              StatusNotAvailable);
    EXPECT_EQ(module().DllGetInterface(instance.record, &CameraClassId, &UnknownId, &out),
              StatusNotAvailable);
    EXPECT_EQ(out, &host);

    // A null class id searches every class.
    ASSERT_EQ(module().DllGetInterface(instance.record, nullptr, &CameraInterfaceId, &out), 0);
    auto* second = static_cast<InterfaceObject*>(out);
    EXPECT_NE(second, iface);
    EXPECT_EQ(second->instance, instance.record);
    EXPECT_EQ(second->refCount, 1);
    EXPECT_EQ(module().DllCanUnloadNow(), StatusInUse);
    static_cast<const CameraInterfaceOps*>(second->ops)->Release(second);
}

TEST_F(ExportsTest, ModuleStaysLoadedWhileAnyInterfaceOfEitherClassLives) {
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
    createCamera(false);
    EXPECT_EQ(module().DllCanUnloadNow(), StatusInUse);

    sim::Instance registration = host.createInstance(module(), RegistrationClassId);
    void* out = nullptr;
    ASSERT_EQ(module().DllGetInterface(registration.record, &RegistrationClassId,
                                       &RegistrationInterfaceId, &out),
              0);
    auto* registrar = static_cast<InterfaceObject*>(out);

    destroyCamera();
    EXPECT_EQ(module().DllCanUnloadNow(), StatusInUse);
    static_cast<const CameraInterfaceOps*>(registrar->ops)->Release(registrar);
    EXPECT_EQ(module().DllCanUnloadNow(), 0);
    EXPECT_TRUE(host.destroyInstance(registration));
}

}  // namespace
}  // namespace test
