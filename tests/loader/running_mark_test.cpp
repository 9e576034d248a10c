#include "running_mark.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>

namespace {

// A name of this test run's own, so that no loader running on the machine is involved.
std::string MarkName(const char* what) {
    return "Orvanta.Loader.Test." + std::to_string(GetCurrentProcessId()) + "." + what;
}

// The window by which a running loader is known: class "demo", title "Loader". Not shown.
struct LoaderWindow {
    HWND window;
    LoaderWindow() {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "demo";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "demo", "Loader", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 windowClass.hInstance, nullptr);
    }
    ~LoaderWindow() { DestroyWindow(window); }
};

bool MarkExists(const std::string& name) {
    HANDLE seen = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (seen != nullptr) CloseHandle(seen);
    return seen != nullptr;
}

enum class Holder { Nobody, Squatter, LockingOut };

TEST(RunningMark, AStartRunsUnlessALoaderWindowExists) {
    const struct {
        const char* what;
        Holder holder;
        bool window;
        bool runs;
    } cases[] = {
        {"fresh", Holder::Nobody, false, true},
        // A mutex of the mark's name that nobody owns: made by another program, or left by a
        // loader past its start-up, which its window shows.
        {"squatted", Holder::Squatter, false, true},
        {"running", Holder::Squatter, true, false},
        // A mark that cannot be opened, as one made by another user or a program that locks
        // this user out.
        {"locked", Holder::LockingOut, false, true},
        {"locked-running", Holder::LockingOut, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = MarkName(c.what);
        HANDLE holder = nullptr;
        if (c.holder == Holder::Squatter) holder = CreateMutexA(nullptr, FALSE, name.c_str());
        if (c.holder == Holder::LockingOut) {
            // Wine grants access whatever a mutex's access list says, so the mark is locked
            // out here by an event of its name, which cannot be opened as a mutex either.
            holder = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
            ASSERT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
        }
        ASSERT_EQ(holder != nullptr, c.holder != Holder::Nobody);
        {
            LoaderWindow window;
            if (!c.window) DestroyWindow(window.window);
            HANDLE mark = nullptr;
            EXPECT_EQ(ClaimRunningMark(name.c_str(), 0, mark), c.runs);
            // A loader that runs keeps its handle; one that ends keeps none.
            EXPECT_EQ(mark != nullptr, c.runs && c.holder != Holder::LockingOut);
            if (holder != nullptr) CloseHandle(holder);
            EXPECT_EQ(MarkExists(name), mark != nullptr);
            if (mark != nullptr) CloseHandle(mark);
        }
    }
}

// A claim made on a thread of its own, as a second loader would make it.
struct Claim {
    std::string name;
    DWORD waitMs;
    HANDLE claiming = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    bool runs = false;
    HANDLE mark = nullptr;
    HANDLE thread = nullptr;

    Claim(std::string markName, DWORD wait) : name(std::move(markName)), waitMs(wait) {
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        // Started and about to claim.
        WaitForSingleObject(claiming, 10000);
    }
    ~Claim() {
        CloseHandle(thread);
        CloseHandle(claiming);
        if (mark != nullptr) CloseHandle(mark);
    }
    bool Ended(DWORD withinMs) { return WaitForSingleObject(thread, withinMs) == WAIT_OBJECT_0; }

    static DWORD WINAPI Run(void* self) {
        Claim& claim = *static_cast<Claim*>(self);
        SetEvent(claim.claiming);
        claim.runs = ClaimRunningMark(claim.name.c_str(), claim.waitMs, claim.mark);
        return 0;
    }
};

TEST(RunningMark, AStartWaitsForALoaderStillStartingUpAndThenFindsItsWindow) {
    const std::string name = MarkName("starting");
    HANDLE first = nullptr;
    ASSERT_TRUE(ClaimRunningMark(name.c_str(), 0, first));

    Claim second(name, kStartUpWaitMs);
    // A claim that did not wait would find no window and end at once; watched for half a
    // second after it began.
    EXPECT_FALSE(second.Ended(500));
    LoaderWindow window;
    HandMarkToWindow(first);
    ASSERT_TRUE(second.Ended(10000));
    EXPECT_FALSE(second.runs);
    EXPECT_EQ(second.mark, nullptr);
    CloseHandle(first);
}

TEST(RunningMark, AHolderThatNeverLetsGoDelaysTheStartButDoesNotStopIt) {
    const std::string name = MarkName("held");
    HANDLE squatter = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_NE(squatter, nullptr);
    Claim claim(name, 100);
    ASSERT_TRUE(claim.Ended(10000));
    EXPECT_TRUE(claim.runs);
    CloseHandle(squatter);
}

}  // namespace
