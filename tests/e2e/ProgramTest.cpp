// Starts the real velmora.exe and drives its window from this separate process.
#include "res/resource.h"
#include "services/win32/UniqueHandle.h"
#include "tests/windows/support/WindowDriver.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::wstring ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"velmora.exe";
}

// A started copy of the program; ended by force if a test leaves it running.
class Program {
public:
    Program() {
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &started)) {
            process.Reset(started.hProcess);
            ::CloseHandle(started.hThread);
            id = started.dwProcessId;
        }
    }
    ~Program() {
        if (process && ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process.Get(), 99);
        }
    }

    bool Started() const { return static_cast<bool>(process); }

    // The program's main window, once it is shown.
    HWND MainWindow() const {
        for (int i = 0; i < 1000; ++i) {
            HWND window = nullptr;
            while ((window = ::FindWindowExW(nullptr, window, L"#32770", L"Velmora by Tarnwick"))) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(window, &owner);
                if (owner == id && ::IsWindowVisible(window)) {
                    return window;
                }
            }
            ::Sleep(10);
        }
        return nullptr;
    }

    // The exit code once the program has ended, or STILL_ACTIVE after the timeout.
    DWORD ExitCode(DWORD timeoutMs = 10000) const {
        ::WaitForSingleObject(process.Get(), timeoutMs);
        DWORD code = STILL_ACTIVE;
        ::GetExitCodeProcess(process.Get(), &code);
        return code;
    }

private:
    win32::KernelHandle process;
    DWORD id = 0;
};

TEST(Program, ShowsItsWindowWithEveryControlAndEndsWithCodeOneOnEsc) {
    Program program;
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

} // namespace
} // namespace velmora
