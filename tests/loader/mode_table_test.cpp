#include "mode_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

ModeTable TableOf(const std::vector<DisplayMode>& modes) {
    ModeTable table;
    for (const DisplayMode& mode : modes) StoreDisplayMode(table, mode);
    return table;
}

TEST(ModeTableStore, KeepsListingOrder) {
    const ModeTable table = TableOf({{1024, 768, 32, 60}, {640, 480, 8, 60}, {800, 600, 16, 75}});
    ASSERT_EQ(table.modeCount(), 3);
    EXPECT_EQ(table.entries[0], (DisplayMode{1024, 768, 32, 60}));
    EXPECT_EQ(table.entries[1], (DisplayMode{640, 480, 8, 60}));
    EXPECT_EQ(table.entries[2], (DisplayMode{800, 600, 16, 75}));
}

TEST(ModeTableStore, StoresAModeListedTwiceOnce) {
    const ModeTable table = TableOf({{800, 600, 16, 60}, {640, 480, 16, 60}, {800, 600, 16, 60}});
    ASSERT_EQ(table.modeCount(), 2);
    EXPECT_EQ(table.entries[0], (DisplayMode{800, 600, 16, 60}));
    EXPECT_EQ(table.entries[1], (DisplayMode{640, 480, 16, 60}));
}

TEST(ModeTableStore, ModesDifferingInOneFieldAreSeparateEntries) {
    const DisplayMode base{800, 600, 16, 60};
    const ModeTable table = TableOf({base,
                                     {801, 600, 16, 60},
                                     {800, 601, 16, 60},
                                     {800, 600, 15, 60},
                                     {800, 600, 16, 61},
                                     base});
    EXPECT_EQ(table.modeCount(), 5);
}

TEST(ModeTableStore, GrowsPastFiftyAndFindsEveryMode) {
    std::vector<DisplayMode> modes;
    for (int32_t i = 0; i < 300; ++i) modes.push_back({320 + 8 * i, 200 + 4 * i, 32, 60});
    // The wanted modes come last, behind hundreds of others, as on a current display.
    modes.push_back({800, 600, 16, 75});
    modes.push_back({800, 600, 16, 59});
    modes.push_back({640, 480, 16, 60});
    const ModeTable table = TableOf(modes);

    ASSERT_EQ(table.modeCount(), 303);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), 301);
    EXPECT_EQ(FindDisplayMode(table, 640, 480, 16), 302);
    EXPECT_EQ(FindDisplayMode(table, 320 + 8 * 299, 200 + 4 * 299, 32), 299);
}

TEST(ModeTableFind, EmptyTableHasNoMode) {
    const ModeTable table;
    EXPECT_EQ(table.modeCount(), 0);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), -1);
}

TEST(ModeTableFind, TakesTheLowestRefreshRate) {
    const ModeTable table = TableOf({{800, 600, 16, 72}, {800, 600, 16, 60}, {800, 600, 16, 75}});
    ASSERT_EQ(table.modeCount(), 3);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), 1);
}

TEST(ModeTableFind, LowestRateWinsWhereverItIsListed) {
    EXPECT_EQ(FindDisplayMode(TableOf({{800, 600, 16, 56}, {800, 600, 16, 60}}), 800, 600, 16), 0);
    EXPECT_EQ(FindDisplayMode(TableOf({{800, 600, 16, 60}, {800, 600, 16, 56}}), 800, 600, 16), 1);
    EXPECT_EQ(FindDisplayMode(TableOf({{800, 600, 16, 0}, {800, 600, 16, 60}}), 800, 600, 16), 0);
}

TEST(ModeTableFind, IgnoresEntriesOfOtherSizeOrDepth) {
    // Lower rates in neighbouring modes must not pull the result away.
    const ModeTable table = TableOf({{800, 600, 32, 50},
                                     {1024, 768, 16, 50},
                                     {800, 600, 16, 70},
                                     {800, 480, 16, 50},
                                     {600, 800, 16, 50}});
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), 2);
}

TEST(ModeTableFind, MatchesExactlyOnly) {
    const ModeTable table = TableOf({{800, 600, 15, 60},
                                     {800, 600, 24, 60},
                                     {800, 600, 32, 60},
                                     {1024, 768, 16, 60},
                                     {640, 480, 16, 60}});
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 16), -1);
    EXPECT_EQ(FindDisplayMode(table, 800, 600, 24), 1);
    EXPECT_EQ(FindDisplayMode(table, 1024, 768, 16), 3);
    EXPECT_EQ(FindDisplayMode(table, 1024, 600, 16), -1);
    EXPECT_EQ(FindDisplayMode(table, 800, 768, 16), -1);
}

}  // namespace
