// Starts the real velmora.exe and drives its window from this separate process.
#include "tests/windows/support/Program.h"

#include "res/resource.h"
#include "tests/windows/support/WindowDriver.h"

#include <gtest/gtest.h>
#include <vector>

namespace velmora {
namespace {

TEST(Program, ShowsItsWindowWithEveryControlAndEndsWithCodeOneOnEsc) {
    testing::Program program(L"velmora.exe");
    ASSERT_TRUE(program.Started());
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);

    const struct {
        int id;
        const wchar_t* className;
        const wchar_t* text;
    } controls[] = {
        {IDC_STATUS_TEXT, L"Static", L""},
        {IDC_DEVICE_LIST, L"SysListView32", nullptr},
        {IDC_DEVICE_FLUSH, L"Button", L"Device &Flush"},
        {IDC_DEVICE_EJECT, L"Button", L"Device &Eject"},
        {IDC_APP_LIST, L"SysListView32", nullptr},
        {IDC_LINK, L"Static", L"Velmora ver.1.40 by Tarnwick"},
        {IDC_WINDOW_FLUSH, L"Button", L"&Window Flush"},
    };
    for (const auto& expected : controls) {
        HWND control = ::GetDlgItem(window, expected.id);
        ASSERT_NE(control, nullptr) << expected.id;
        EXPECT_EQ(_wcsicmp(testing::ClassName(control).c_str(), expected.className), 0)
            << expected.id;
        if (expected.text != nullptr) {
            EXPECT_EQ(testing::WindowText(control), expected.text) << expected.id;
        }
    }
    std::vector<std::wstring> labels;
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (static_cast<WORD>(::GetDlgCtrlID(child)) == 0xFFFF) {
            labels.push_back(testing::WindowText(child));
        }
    }
    EXPECT_EQ(labels, (std::vector<std::wstring>{L"Device", L"Application"}));

    // With no device row selected, either command only clears the status line.
    HWND status = ::GetDlgItem(window, IDC_STATUS_TEXT);
    for (int button : {IDC_DEVICE_FLUSH, IDC_DEVICE_EJECT}) {
        ::SendMessageTimeoutW(status, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"stale"),
                              SMTO_ABORTIFHUNG, 5000, nullptr);
        ASSERT_EQ(testing::WindowText(status), L"stale");
        ::SendMessageTimeoutW(::GetDlgItem(window, button), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000,
                              nullptr);
        EXPECT_EQ(testing::WindowText(status), L"") << button;
    }

    // Esc where the keyboard focus now is: on the button clicked last.
    HWND eject = ::GetDlgItem(window, IDC_DEVICE_EJECT);
    ASSERT_TRUE(testing::WaitForFocus(window, eject));
    testing::PostKey(eject, VK_ESCAPE);
    EXPECT_EQ(program.ExitCode(), 1u);
}

// Keys are posted from this separate process. Posted from another thread of the window's own
// process, about every other Esc or Enter never reached the window's loop under Wine.
TEST(Program, EscEnterAndTheCloseBoxEachEndItWithCodeOne) {
    const struct {
        const char* name;
        WPARAM key; // 0: the close box
    } ways[] = {{"Esc", VK_ESCAPE}, {"Enter", VK_RETURN}, {"close box", 0}};
    for (const auto& way : ways) {
        testing::Program program(L"velmora.exe");
        HWND window = program.MainWindow();
        ASSERT_NE(window, nullptr) << way.name;
        HWND list = ::GetDlgItem(window, IDC_DEVICE_LIST);
        ASSERT_TRUE(testing::WaitForFocus(window, list)) << way.name;
        if (way.key != 0) {
            testing::PostKey(list, way.key);
        } else {
            ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_EQ(program.ExitCode(), 1u) << way.name;
    }
}

} // namespace
} // namespace velmora
