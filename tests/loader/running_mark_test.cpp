#include "running_mark.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// A name of this test run's own, so that no loader running on the machine is involved.
std::string MarkName(const char* what) {
    return "Orvanta.Loader.Test." + std::to_string(GetCurrentProcessId()) + "." + what;
}

TEST(RunningMark, OnlyTheFirstClaimOfANameHoldsIt) {
    const std::string name = MarkName("first");
    EXPECT_TRUE(ClaimRunningMark(name.c_str()));
    // Every later claim is refused while the first holder lives, also after a refused one.
    EXPECT_FALSE(ClaimRunningMark(name.c_str()));
    EXPECT_FALSE(ClaimRunningMark(name.c_str()));
    // The mark is a kernel object found by its name.
    HANDLE seen = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_NE(seen, nullptr);
    if (seen != nullptr) CloseHandle(seen);
}

TEST(RunningMark, ARefusedClaimLeavesNothingHeld) {
    const std::string name = MarkName("refused");
    // Another holder, standing in for a running loader.
    HANDLE running = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(running, nullptr);
    EXPECT_FALSE(ClaimRunningMark(name.c_str()));
    CloseHandle(running);
    // Once the running loader has ended, the mark is gone: the refused claim kept no handle.
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
    EXPECT_TRUE(ClaimRunningMark(name.c_str()));
}

}  // namespace
