// Register: the host checks and the two registration entries.
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>

#include "tests/support/script_fixture.h"

namespace test {
namespace {

const Status HostFailure = static_cast<Status>(0x80047777u);
// The registration context the host passes, which the module hands back with each dictionary
// request.
const int32_t Context = static_cast<int32_t>(0xC0DE1234u);

// The script interface the host will parse, line for line; lines 2 and 3 are free comments.
const char* const expectedLines[] = {
    "xtra Orvanta",
    nullptr,
    nullptr,
    "new object me",
    "getPosition object me -- returns the 3D position of the camera",
    "setPosition object me, any worldX, any worldY, any worldZ -- sets the 3D position of the "
    "camera",
    "getInterest object me -- returns the 3D point of interest",
    "setInterest object me, any worldX, any worldY, any worldZ -- sets the 3D point of interest",
    "getRotation object me -- returns the pitch, yaw and roll angles in degrees",
    "setRotation object me, any pitch, any yaw, any roll -- sets the rotation angles in degrees",
    "setRoll object me, any roll -- sets the roll (or banking) angle in degrees",
    "getFieldOfView object me -- returns the viewing angle in degrees",
    "setFieldOfView object me, any fov -- sets the viewing angle in degrees",
    "getPictureRatio object me -- returns the picture ratio (width / height)",
    "setPictureRatio object me, any ratio -- sets the picture ratio",
    "getNearPlane object me -- returns the minimal valid distance to the camera",
    "setNearPlane object me, any near -- sets the minimal valid distance to the camera",
    "getFarPlane object me -- returns the maximum valid distance from the camera",
    "setFarPlane object me, any far -- sets the maximum valid distance from the camera",
    "getProjection object me, any worldX, any worldY, any worldZ -- returns a point that is the "
    "2D projection of the 3D vertex (x, y, z)",
    "getDistance object me -- returns the distance to the camera for the last calculated "
    "projection",
    "getBlendLevel object me -- returns a value between 0 and 255 indicating the distance to the "
    "camera of the last projection",
    "getCoordinates object me, any locH, any locV, any worldZ -- takes a screen coordinate and "
    "returns its world coordinates",
    "-- Utility Math Handlers",
    "* asin any value -- calculates the arcsinus of 'value'",
    "* acos any value -- calculates the arccosinus of 'value'",
    "* constrain any value, any minLimit, any maxLimit -- make sure minLimit <= value < maxLimit",
    "* limit any value, any minLimit, any maxLimit -- make sure minLimit <= value <= maxLimit",
    "* sgn any value -- returns the sign of 'value'",
    "* floor any value -- returns the rounded down value of 'value'",
    "* ceiling any value -- returns the rounded up value of 'value'",
};

class RegistrationTest : public ScriptFixture {
  protected:
    void SetUp() override {
        ASSERT_EQ(sim::createObject(host, module(), RegistrationClassId, RegistrationInterfaceId,
                                    &registration, &registrar),
                  0);
    }
    void TearDown() override {
        EXPECT_TRUE(sim::destroyObject(host, registration, registrar));
        ScriptFixture::TearDown();
    }
    Status registerWith() {
        return sim::registerObject(registrar, host.registrationCache(), Context);
    }

    sim::Instance registration;
    void* registrar = nullptr;
};

TEST_F(RegistrationTest, StoresLoadControlThenTheMessageTable) {
    ASSERT_EQ(registerWith(), 0);
    const auto& entries = host.registry();
    ASSERT_EQ(entries.size(), 2u);

    EXPECT_EQ(entries[0].key, "XtraLoadControlOptions");
    EXPECT_EQ(entries[0].typeCode, 3);
    EXPECT_EQ(entries[0].reserved, 0);
    EXPECT_TRUE(sim::sameId(entries[0].classId, CameraClassId));
    EXPECT_TRUE(sim::sameId(entries[0].interfaceId, LoadControlId));
    EXPECT_EQ(entries[0].data, (std::vector<uint8_t>{3, 0, 0, 0}));

    EXPECT_EQ(entries[1].key, "msgTable");
    EXPECT_EQ(entries[1].typeCode, 9);
    EXPECT_EQ(entries[1].reserved, 0);
    EXPECT_TRUE(sim::sameId(entries[1].classId, CameraClassId));
    EXPECT_TRUE(sim::sameId(entries[1].interfaceId, CameraInterfaceId));
    EXPECT_EQ(host.dictionaryRequests(), (std::vector<int32_t>{Context, Context}))
        << "each dictionary is asked for with the context the host passed";
}

TEST_F(RegistrationTest, MessageTableIsTheScriptInterfaceLineForLine) {
    ASSERT_EQ(registerWith(), 0);
    ASSERT_EQ(host.registry().size(), 2u);
    const std::vector<uint8_t>& data = host.registry()[1].data;
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data.back(), 0) << "the text ends with a zero byte";
    const std::string text(data.begin(), data.end() - 1);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "the last line ends with a line feed too";

    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    ASSERT_EQ(lines.size(), 31u);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (expectedLines[i] == nullptr) {
            EXPECT_EQ(lines[i].rfind("-- ", 0), 0u) << "line " << i + 1 << " is a comment";
            EXPECT_GT(lines[i].size(), 3u) << "line " << i + 1 << " says something";
        } else {
            EXPECT_EQ(lines[i], expectedLines[i]) << "line " << i + 1;
        }
        EXPECT_EQ(lines[i].find('\r'), std::string::npos) << "line " << i + 1;
    }
}

TEST_F(RegistrationTest, ApplicationNameMustBeExactlyDirector) {
    for (const char* name : {"director", "DIRECTOR", "Director ", "Directo", "Director2", ""}) {
        host.setInfo(sim::InfoApplicationName, name);
        EXPECT_EQ(registerWith(), sim::StatusNotAvailable) << '"' << name << '"';
    }
    EXPECT_TRUE(host.registry().empty());
    EXPECT_TRUE(host.dictionaryRequests().empty()) << "nothing asked of the cache after a refusal";
}

TEST_F(RegistrationTest, NameIsReadOnlyWithinTheBufferEvenWhenUnterminated) {
    // 64 bytes of "DirectorDirector..." without a zero: compared within the buffer, refused.
    std::vector<char> bytes(64);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = "Director"[i % 8];
    host.setInfoBytes(sim::InfoApplicationName, bytes);
    EXPECT_EQ(registerWith(), sim::StatusNotAvailable);

    // "Director" followed by a zero and then garbage up to the end still passes.
    std::vector<char> padded(64, 'x');
    std::memcpy(padded.data(), "Director", 9);
    host.setInfoBytes(sim::InfoApplicationName, padded);
    EXPECT_EQ(registerWith(), 0);
}

TEST_F(RegistrationTest, OnlyTheFirstCharacterOfTheVersionCounts) {
    struct Case {
        std::vector<char> version;
        Status expected;
    };
    const Case cases[] = {
        {{'6', '\0'}, 0},
        {{'7', '.', '0', '\0'}, 0},
        {{'8', '.', '5', '\0'}, 0},
        {{'9', 'x', '\0'}, 0},
        {{'5', '.', '9', '\0'}, sim::StatusWrongVersion},
        {{'1', '1', '.', '0', '\0'}, sim::StatusWrongVersion},  // a two-digit major version
        {{'\0'}, sim::StatusWrongVersion},
        {{static_cast<char>(0x80), '\0'}, sim::StatusWrongVersion},  // negative as a signed byte
        {{static_cast<char>(0xFF), '\0'}, sim::StatusWrongVersion},
    };
    for (const Case& c : cases) {
        host.setInfoBytes(sim::InfoVersionText, c.version);
        EXPECT_EQ(registerWith(), c.expected)
            << "version starting with byte "
            << static_cast<int>(static_cast<uint8_t>(c.version[0]));
    }
}

TEST_F(RegistrationTest, AnswerThatWritesNothingIsEmptyText) {
    // A version query that reports success but writes nothing must not be judged on what the
    // name query left in the buffer ("Director" starts with 'D', above '6').
    host.setInfoBytes(sim::InfoVersionText, {});
    EXPECT_EQ(registerWith(), sim::StatusWrongVersion);
    EXPECT_TRUE(host.registry().empty());

    // Nor may a name query that writes nothing pass the name check.
    host.setInfoBytes(sim::InfoVersionText, {'8', '\0'});
    host.setInfoBytes(sim::InfoApplicationName, {});
    EXPECT_EQ(registerWith(), sim::StatusNotAvailable);
    EXPECT_TRUE(host.registry().empty());
}

TEST_F(RegistrationTest, HostInfoIsGivenBackOnEveryPath) {
    host.setInfo(sim::InfoApplicationName, "Shockwave");
    EXPECT_EQ(registerWith(), sim::StatusNotAvailable);
    host.setInfo(sim::InfoApplicationName, "Director");
    host.setInfo(sim::InfoVersionText, "4.0");
    EXPECT_EQ(registerWith(), sim::StatusWrongVersion);
    host.failInfo(sim::InfoVersionText, HostFailure);
    EXPECT_EQ(registerWith(), HostFailure);
    host.endRegistrationFailures();  // so the name's refusal alone decides
    host.failInfo(sim::InfoApplicationName, HostFailure);
    EXPECT_EQ(registerWith(), HostFailure);
    // The fixture's tear-down checks that every reference came back.
    EXPECT_EQ(host.outstandingReferences(), 2) << "only the interface object's own two";
}

// A host that refuses HostInfo yet leaves a pointer in the out slot: the HostInfo it points at
// counts the Release calls it gets, which must be none. Each of its two objects is a pointer to
// a table of the host's first three slots: QueryInterface, AddRef and Release.
struct CarelessHost {
    using Slot = void (*)();
    static Status XTRA_CALL query(HostServices* self, const Guid*, void** out) {
        *out = &reinterpret_cast<CarelessHost*>(self)->info;
        return static_cast<Status>(0x80004002u);
    }
    static uint32_t XTRA_CALL addRef(HostServices*) { return 1; }
    static uint32_t XTRA_CALL release(HostServices*) { return 1; }
    static uint32_t XTRA_CALL infoAddRef(HostInfo*) { return 1; }
    static uint32_t XTRA_CALL infoRelease(HostInfo* info) {
        reinterpret_cast<CarelessHost*>(reinterpret_cast<char*>(info) -
                                        offsetof(CarelessHost, info))
            ->infoReleases += 1;
        return 0;
    }
    template <typename Operation>
    static Slot slot(Operation operation) {
        return reinterpret_cast<Slot>(operation);
    }

    const Slot* services = servicesTable;  // first: the object that HostServices points at
    const Slot* info = infoTable;
    const Slot servicesTable[3] = {slot(query), slot(addRef), slot(release)};
    const Slot infoTable[3] = {nullptr, slot(infoAddRef), slot(infoRelease)};
    int infoReleases = 0;
};

TEST_F(RegistrationTest, WithoutHostInfoTheQueryStatusIsReturnedAndNothingReleased) {
    host.withhold(HostInfoId);
    EXPECT_EQ(registerWith(), sim::StatusNoInterface);
    EXPECT_TRUE(host.infoRequests().empty());
    EXPECT_TRUE(host.registry().empty());

    // HostServices is word 2 of the host's header.
    CarelessHost careless;
    void** const services = reinterpret_cast<void**>(registration.record) + 2;
    void* const own = *services;
    *services = &careless.services;
    EXPECT_EQ(registerWith(), static_cast<Status>(0x80004002u));
    EXPECT_EQ(careless.infoReleases, 0) << "released a HostInfo the host never handed over";
    // No HostServices at all: nothing to ask, and nothing registered.
    *services = nullptr;
    EXPECT_EQ(registerWith(), sim::StatusNotAvailable);
    *services = own;
    EXPECT_TRUE(host.registry().empty());
}

// What the dictionaries refuse, one refusal per case: the load-control entry is optional, the
// message table is not. A host that reports success but hands over no method dictionary has
// stored nothing, which is no registration either.
TEST_F(RegistrationTest, DictionaryRefusalsMatterOnlyForTheMessageTable) {
    struct Case {
        const char* what;
        std::function<void(sim::Host&)> refuse;
        Status expected;
        std::vector<std::string> stored;
    };
    const Case cases[] = {
        {"no load-control dictionary",
         [](sim::Host& h) { h.failDictionary(LoadControlId, HostFailure, true); },
         0,
         {"msgTable"}},
        {"load-control entry refused",
         [](sim::Host& h) { h.failPutEntry("XtraLoadControlOptions", HostFailure); },
         0,
         {"msgTable"}},
        {"message table refused",
         [](sim::Host& h) { h.failPutEntry("msgTable", HostFailure); },
         HostFailure,
         {"XtraLoadControlOptions"}},
        {"no method dictionary",
         [](sim::Host& h) { h.failDictionary(CameraInterfaceId, HostFailure, true); },
         HostFailure,
         {"XtraLoadControlOptions"}},
        {"method dictionary missing despite success",
         [](sim::Host& h) { h.failDictionary(CameraInterfaceId, 0, true); },
         sim::StatusNotAvailable,
         {"XtraLoadControlOptions"}},
    };
    for (const Case& c : cases) {
        const size_t before = host.registry().size();
        c.refuse(host);
        EXPECT_EQ(registerWith(), c.expected) << c.what;
        std::vector<std::string> stored;
        for (size_t i = before; i < host.registry().size(); ++i) {
            stored.push_back(host.registry()[i].key);
        }
        EXPECT_EQ(stored, c.stored) << c.what;
        host.endRegistrationFailures();
    }
}

// Each Register asks for the name, then the version, each into a buffer of the host's size.
TEST_F(RegistrationTest, RegisteringTwiceRepeatsEveryStep) {
    ASSERT_EQ(registerWith(), 0);
    ASSERT_EQ(registerWith(), 0);
    EXPECT_EQ(host.registry().size(), 4u);
    const std::pair<int32_t, int32_t> name{sim::InfoApplicationName, sim::InfoBufferSize};
    const std::pair<int32_t, int32_t> version{sim::InfoVersionText, sim::InfoBufferSize};
    EXPECT_EQ(host.infoRequests(),
              (std::vector<std::pair<int32_t, int32_t>>{name, version, name, version}));
}

}  // namespace
}  // namespace test
