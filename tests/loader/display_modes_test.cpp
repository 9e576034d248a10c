#include "display_modes.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "splash_window.h"

// The display-settings calls fed with a made-up display: what it lists, which of the listed
// modes pass the full-screen test, and a record of every call made.
namespace {

struct ListedMode {
    DisplayMode mode;
    bool passesTest;
};

struct TestCall {
    DWORD fields;
    DWORD flags;
    DisplayMode mode;
};

struct FakeDisplay {
    std::vector<ListedMode> listed;
    std::vector<DWORD> enumeratedNumbers;
    std::vector<TestCall> tests;
    std::vector<DEVMODEA> switches;  // records handed over for a real change, null as all zero
    std::vector<DWORD> switchFlags;
    std::vector<bool> switchHadRecord;
    bool badEnumerateRecord = false;
};

FakeDisplay* display;

BOOL WINAPI FakeEnumerate(LPCSTR deviceName, DWORD modeNumber, DEVMODEA* mode) {
    display->enumeratedNumbers.push_back(modeNumber);
    if (deviceName != nullptr || mode->dmSize != 148 || mode->dmDriverExtra != 0) {
        display->badEnumerateRecord = true;
    }
    if (modeNumber >= display->listed.size()) return FALSE;
    const DisplayMode& listed = display->listed[modeNumber].mode;
    mode->dmPelsWidth = static_cast<DWORD>(listed.pelsWidth);
    mode->dmPelsHeight = static_cast<DWORD>(listed.pelsHeight);
    mode->dmBitsPerPel = static_cast<DWORD>(listed.bitsPerPel);
    mode->dmDisplayFrequency = static_cast<DWORD>(listed.displayFrequency);
    // What a driver reports as well; the test must not be asked about these.
    mode->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY |
                     DM_DISPLAYFLAGS | DM_POSITION;
    return TRUE;
}

LONG WINAPI FakeChange(DEVMODEA* mode, DWORD flags) {
    if (flags & CDS_TEST) {
        const DisplayMode asked{static_cast<int32_t>(mode->dmPelsWidth),
                                static_cast<int32_t>(mode->dmPelsHeight),
                                static_cast<int32_t>(mode->dmBitsPerPel),
                                static_cast<int32_t>(mode->dmDisplayFrequency)};
        display->tests.push_back({mode->dmFields, flags, asked});
        for (const ListedMode& listed : display->listed) {
            if (listed.mode == asked) {
                return listed.passesTest ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
            }
        }
        return DISP_CHANGE_BADMODE;
    }
    display->switchHadRecord.push_back(mode != nullptr);
    display->switches.push_back(mode != nullptr ? *mode : DEVMODEA{});
    display->switchFlags.push_back(flags);
    return DISP_CHANGE_SUCCESSFUL;
}

class DisplayModes : public ::testing::Test {
  protected:
    void SetUp() override {
        display = &fake;
        enumDisplaySettings = FakeEnumerate;
        changeDisplaySettings = FakeChange;
        modeTable = ModeTable{};
    }
    void TearDown() override {
        enumDisplaySettings = EnumDisplaySettingsA;
        changeDisplaySettings = ChangeDisplaySettingsA;
        display = nullptr;
    }

    void List(const DisplayMode& mode, bool passesTest = true) {
        fake.listed.push_back({mode, passesTest});
    }

    ModeTable Enumerate() {
        EnumerateDisplayModes();
        return modeTable;
    }

    FakeDisplay fake;
};

TEST_F(DisplayModes, EnumerationAsksModeNumbersInOrderUntilTheFirstMissing) {
    List({640, 480, 8, 60});
    List({800, 600, 16, 60});
    Enumerate();
    EXPECT_EQ(fake.enumeratedNumbers, (std::vector<DWORD>{0, 1, 2}));
    EXPECT_FALSE(fake.badEnumerateRecord);
}

TEST_F(DisplayModes, EachListedModeIsTestedAtItsExactSizeDepthAndRate) {
    List({640, 480, 8, 60});
    List({800, 600, 16, 75});
    Enumerate();
    ASSERT_EQ(fake.tests.size(), 2u);
    for (const TestCall& test : fake.tests) {
        EXPECT_EQ(test.fields, 0x5C0000u);
        EXPECT_EQ(test.flags, 6u);  // CDS_TEST | CDS_FULLSCREEN
    }
    EXPECT_EQ(fake.tests[0].mode, (DisplayMode{640, 480, 8, 60}));
    EXPECT_EQ(fake.tests[1].mode, (DisplayMode{800, 600, 16, 75}));
    EXPECT_TRUE(fake.switches.empty()) << "testing modes must never change the display";
}

TEST_F(DisplayModes, ModeFailingItsTestIsLeftOut) {
    List({640, 480, 16, 60});
    List({800, 600, 16, 60}, false);
    List({1024, 768, 16, 60});
    const ModeTable table = Enumerate();
    ASSERT_EQ(table.modeCount(), 2);
    EXPECT_EQ(table.entries[0], (DisplayMode{640, 480, 16, 60}));
    EXPECT_EQ(table.entries[1], (DisplayMode{1024, 768, 16, 60}));
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), -1);
}

TEST_F(DisplayModes, ModeListedTwiceIsStoredOnce) {
    List({800, 600, 16, 60});
    List({800, 600, 16, 60});
    List({800, 600, 16, 72});
    const ModeTable table = Enumerate();
    ASSERT_EQ(table.modeCount(), 2);
    EXPECT_EQ(table.entries[1], (DisplayMode{800, 600, 16, 72}));
}

TEST_F(DisplayModes, ThreeRatesGiveThreeEntriesAndTheLowestIsChosen) {
    List({800, 600, 16, 72});
    List({800, 600, 16, 60});
    List({800, 600, 16, 75});
    const ModeTable table = Enumerate();
    EXPECT_EQ(table.modeCount(), 3);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), 1);
}

TEST_F(DisplayModes, OnlyOtherDepthsAt800x600FindNothing) {
    List({800, 600, 15, 60});
    List({800, 600, 24, 60});
    List({800, 600, 32, 60});
    List({640, 480, 16, 60});
    const ModeTable table = Enumerate();
    EXPECT_EQ(table.modeCount(), 4);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), -1);
}

TEST_F(DisplayModes, NothingListedGivesAnEmptyTable) {
    const ModeTable table = Enumerate();
    EXPECT_EQ(table.modeCount(), 0);
    EXPECT_EQ(fake.enumeratedNumbers, (std::vector<DWORD>{0}));
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), -1);
}

TEST_F(DisplayModes, AllOfHundredsOfAcceptedModesAreKept) {
    for (int32_t width = 320; width < 320 + 400; ++width) List({width, 600, 32, 60});
    List({800, 600, 16, 75});
    List({800, 600, 16, 60});
    const ModeTable table = Enumerate();
    EXPECT_EQ(table.modeCount(), 402);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), 401);
}

TEST_F(DisplayModes, SwitchRecordCarriesSizeAndDepthButNoRate) {
    RequestDisplayMode({800, 600, 16, 75});
    ASSERT_EQ(fake.switches.size(), 1u);
    ASSERT_TRUE(fake.switchHadRecord[0]);
    EXPECT_EQ(fake.switchFlags[0], 4u);  // CDS_FULLSCREEN: temporary, not stored

    const DEVMODEA& record = fake.switches[0];
    EXPECT_EQ(record.dmSize, 148u);
    EXPECT_EQ(record.dmDriverExtra, 0u);
    EXPECT_EQ(record.dmFields, 0x1C0000u);
    EXPECT_EQ(record.dmPelsWidth, 800u);
    EXPECT_EQ(record.dmPelsHeight, 600u);
    EXPECT_EQ(record.dmBitsPerPel, 16u);
    EXPECT_EQ(record.dmDisplayFrequency, 0u);

    // Every other byte of the 148 that the platform reads is zero.
    struct Field {
        std::size_t offset;
        std::size_t size;
    };
    const Field set[] = {
        {offsetof(DEVMODEA, dmSize), sizeof(record.dmSize)},
        {offsetof(DEVMODEA, dmFields), sizeof(record.dmFields)},
        {offsetof(DEVMODEA, dmBitsPerPel), sizeof(record.dmBitsPerPel)},
        {offsetof(DEVMODEA, dmPelsWidth), sizeof(record.dmPelsWidth)},
        {offsetof(DEVMODEA, dmPelsHeight), sizeof(record.dmPelsHeight)},
    };
    const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
    for (std::size_t i = 0; i < 148; ++i) {
        bool inSetField = false;
        for (const Field& field : set) {
            inSetField = inSetField || (i >= field.offset && i < field.offset + field.size);
        }
        if (!inSetField) {
            EXPECT_EQ(bytes[i], 0) << "byte " << i;
        }
    }
}

TEST_F(DisplayModes, SwitchRecordKeepsNothingFromAnEarlierSwitch) {
    RequestDisplayMode({1024, 768, 32, 85});
    RequestDisplayMode({800, 600, 16, 60});
    ASSERT_EQ(fake.switches.size(), 2u);
    EXPECT_EQ(fake.switches[1].dmPelsWidth, 800u);
    EXPECT_EQ(fake.switches[1].dmBitsPerPel, 16u);
    EXPECT_EQ(fake.switches[1].dmDisplayFrequency, 0u);
    EXPECT_EQ(fake.switches[1].dmFields, 0x1C0000u);
}

TEST_F(DisplayModes, SessionEndRestoresTheDisplayButACancelledOneDoesNot) {
    EXPECT_EQ(LoaderWndProc(nullptr, WM_ENDSESSION, FALSE, 0), 0);
    EXPECT_TRUE(fake.switches.empty());
    EXPECT_EQ(LoaderWndProc(nullptr, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF), 0);
    ASSERT_EQ(fake.switches.size(), 1u);
    EXPECT_FALSE(fake.switchHadRecord[0]);
    EXPECT_EQ(fake.switchFlags[0], 4u);
}

TEST_F(DisplayModes, RestoreAsksForTheStoredModeEveryTime) {
    RestoreDisplayMode();
    RestoreDisplayMode();
    ASSERT_EQ(fake.switches.size(), 2u);
    for (std::size_t i = 0; i < fake.switches.size(); ++i) {
        EXPECT_FALSE(fake.switchHadRecord[i]);
        EXPECT_EQ(fake.switchFlags[i], 4u);
    }
}

}  // namespace
