#pragma once

#include <cstdint>
#include <vector>

// One display mode that the display both lists and accepts for a full-screen switch.
struct DisplayMode {
    int32_t pelsWidth;         // pixels
    int32_t pelsHeight;        // pixels
    int32_t bitsPerPel;        // colour depth
    int32_t displayFrequency;  // refresh rate as the platform lists it
};

bool operator==(const DisplayMode& a, const DisplayMode& b);

// The accepted modes in the order in which the platform lists them. No two entries are equal in
// all four fields; modes that differ only in their refresh rate are separate entries. The table
// starts with room for 50 entries and grows beyond that, because current displays list hundreds
// of modes and a lookup has to see every one of them.
struct ModeTable {
    std::vector<DisplayMode> entries;

    ModeTable() { entries.reserve(50); }
    int32_t modeCount() const { return static_cast<int32_t>(entries.size()); }
};

// Appends the mode unless an entry equal in all four fields is already there.
void StoreDisplayMode(ModeTable& table, const DisplayMode& mode);

// Index of the entry of exactly this size and depth with the lowest refresh rate, or -1. No
// nearest, larger or smaller mode is ever taken.
int32_t FindDisplayMode(const ModeTable& table, int32_t width, int32_t height, int32_t bits);
