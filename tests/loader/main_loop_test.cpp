#include "main_loop.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "process_values.h"

// The main loop run on a window of the test's own class, which records what reaches it. The
// loader's window procedure restores the display on WM_DESTROY; here it is enough to see the
// window destroyed.
namespace {

std::vector<UINT> received;
int getMessageCalls;

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE || message == WM_DESTROY || message == WM_USER) {
        received.push_back(message);
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

BOOL WINAPI FailingGetMessage(LPMSG, HWND, UINT, UINT) {
    ++getMessageCalls;
    return -1;
}

class MainLoop : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = RecordingWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "main_loop_test";
        RegisterClassA(&windowClass);
        mainWindow = CreateWindowExA(0, "main_loop_test", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                     nullptr, windowClass.hInstance, nullptr);
        ASSERT_NE(mainWindow, nullptr);
        appActive = 0;
        received.clear();
        getMessageCalls = 0;
    }

    void TearDown() override {
        if (IsWindow(mainWindow)) DestroyWindow(mainWindow);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        mainWindow = nullptr;
        getMessage = GetMessageA;
    }
};

TEST_F(MainLoop, UnreadableQueueClosesTheWindowAndEndsWithZero) {
    // Something waiting, so the loop goes on to take it.
    PostMessageA(mainWindow, WM_USER, 0, 0);
    getMessage = FailingGetMessage;
    EXPECT_EQ(RunMainLoop(), 0);
    EXPECT_EQ(getMessageCalls, 1);
    EXPECT_EQ(received, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(mainWindow));
}

TEST_F(MainLoop, AQuitFromAnotherProgramEndsWithItsCodeAndTheWindowGone) {
    PostMessageA(mainWindow, WM_USER, 0, 0);
    // As another program posts it: to the thread, with the window still up.
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 7, 0);
    EXPECT_EQ(RunMainLoop(), 7);
    // The loader's WM_DESTROY is what restores the display.
    EXPECT_EQ(received, (std::vector<UINT>{WM_USER, WM_DESTROY}));
    EXPECT_FALSE(IsWindow(mainWindow));
}

}  // namespace
