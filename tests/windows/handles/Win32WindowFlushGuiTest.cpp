#include "handles/HandleScanner.h"
#include "handles/WindowFlush.h"
#include "services/win32/Win32SystemHandles.h"
#include "services/win32/Win32TopLevelWindows.h"
#include "tests/windows/handles/HolderFixture.h"

#include <gtest/gtest.h>

namespace velmora::win32::testing {
namespace {

// Needs a display: the child shows a window.
TEST(Win32WindowFlushGui, RestoresTheMinimisedWindowOfTheSelectedApplicationAndLeavesHiddenOnes) {
    Win32SystemHandles system;
    HolderFolder folder;
    HolderChild child(folder.HeldFile(), true);
    ASSERT_TRUE(child.IsReady());
    const HWND minimised = FindWindowW(L"VelmoraHolderWindow", L"Velmora holder minimised");
    const HWND hidden = FindWindowW(L"VelmoraHolderWindow", L"Velmora holder hidden");
    ASSERT_NE(minimised, nullptr);
    ASSERT_NE(hidden, nullptr);
    ASSERT_TRUE(IsIconic(minimised));

    HandleScanner scanner(system);
    ASSERT_TRUE(scanner.ScanDevice(folder.HeldFolderObjectName(system)));
    ASSERT_EQ(scanner.FoundPids(), std::vector<std::uint32_t>{child.ProcessId()});
    PublishedPids listed;
    listed.Publish(scanner.FoundPids());
    Win32TopLevelWindows windows;

    WindowFlush(1, listed, windows);
    EXPECT_TRUE(IsIconic(minimised)) << "a row past the end acts on nothing";
    WindowFlush(0, listed, windows);
    // The restore runs on the child's own thread.
    for (int wait = 0; wait < 100 && IsIconic(minimised); ++wait) {
        Sleep(20);
    }
    EXPECT_FALSE(IsIconic(minimised));
    EXPECT_FALSE(IsWindowVisible(hidden));
}

} // namespace
} // namespace velmora::win32::testing
