#include "mode_table.h"

bool operator==(const DisplayMode& a, const DisplayMode& b) {
    return a.pelsWidth == b.pelsWidth && a.pelsHeight == b.pelsHeight &&
           a.bitsPerPel == b.bitsPerPel && a.displayFrequency == b.displayFrequency;
}

void StoreDisplayMode(ModeTable& table, const DisplayMode& mode) {
    for (const DisplayMode& entry : table.entries) {
        if (entry == mode) return;
    }
    table.entries.push_back(mode);
}

int32_t FindDisplayMode(const ModeTable& table, int32_t width, int32_t height, int32_t bits) {
    int32_t result = -1;
    for (int32_t i = 0; i < table.modeCount(); ++i) {
        const DisplayMode& entry = table.entries[i];
        if (entry.pelsWidth != width || entry.pelsHeight != height || entry.bitsPerPel != bits) {
            continue;
        }
        // Entries of one size and depth differ in their rate, so the lowest rate is unique.
        if (result < 0 || entry.displayFrequency < table.entries[result].displayFrequency) {
            result = i;
        }
    }
    return result;
}
