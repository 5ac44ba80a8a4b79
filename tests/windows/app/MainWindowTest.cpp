#include "app/LoopRegistry.h"
#include "app/RunMainWindow.h"
#include "res/resource.h"
#include "services/win32/Win32DeviceSetup.h"
#include "services/win32/Win32ProcessList.h"
#include "services/win32/Win32Registry.h"
#include "services/win32/Win32Sleeper.h"
#include "services/win32/Win32StorageControl.h"
#include "services/win32/Win32SystemHandles.h"
#include "services/win32/Win32TopLevelWindows.h"
#include "tests/fakes/InterferingStorage.h"
#include "tests/windows/support/WindowDriver.h"

#include <atomic>
#include <commctrl.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace velmora {
namespace {

using testing::DismissMessageBox;
using testing::MessageBoxText;
using testing::WaitForWindow;

constexpr const wchar_t* kTitle = L"Velmora by Tarnwick";

// The main window run on a window thread of its own, as the program's main thread runs it.
class WindowRun {
public:
    explicit WindowRun(std::function<void()> scanFault = {},
                       ScanThread::CreateThreadFunction createThread = &::CreateThread)
        : storage(realStorage, std::move(scanFault)) {
        exitCode = std::async(std::launch::async, [this, createThread] {
            storage.windowThread = std::this_thread::get_id();
            return RunMainWindow(::GetModuleHandleW(nullptr), SW_SHOWNORMAL,
                                 {loops, sleeper, storage, setup, handles, processes, windows,
                                  registry, createThread});
        });
    }
    ~WindowRun() {
        if (exitCode.valid() &&
            exitCode.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
            if (HWND window = ::FindWindowW(L"#32770", kTitle)) {
                ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            }
        }
    }

    // The exit code, once the window's loop has ended; -1 when it has not ended within 10 s.
    int ExitCode() {
        if (exitCode.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            return -1;
        }
        return exitCode.get();
    }

private:
    LoopRegistry loops;
    win32::Win32Sleeper sleeper;
    win32::Win32StorageControl realStorage;
    fakes::InterferingStorage storage;
    win32::Win32DeviceSetup setup;
    win32::Win32SystemHandles handles;
    win32::Win32ProcessList processes;
    win32::Win32TopLevelWindows windows;
    win32::Win32Registry registry;
    std::future<int> exitCode;
};

struct ExpectedControl {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    LONG style;
    RECT dialogUnits; // left, top, width, height
};

const ExpectedControl kControls[] = {
    {-1, L"Static", L"Device", 0x50020000, {7, 3, 111, 8}},
    {IDC_STATUS_TEXT, L"Static", L"", 0x50020002, {118, 3, 112, 8}},
    {IDC_DEVICE_LIST, L"SysListView32", L"", 0x5081080D, {7, 17, 223, 80}},
    {-1, L"Static", L"Application", 0x50020000, {7, 103, 111, 8}},
    {IDC_DEVICE_FLUSH, L"Button", L"Device &Flush", 0x50010000, {127, 100, 50, 14}},
    {IDC_DEVICE_EJECT, L"Button", L"Device &Eject", 0x50010000, {180, 100, 50, 14}},
    {IDC_APP_LIST, L"SysListView32", L"", 0x5081080D, {7, 117, 223, 81}},
    {IDC_LINK, L"Static", L"Velmora ver.1.40 by Tarnwick", 0x50020000, {7, 206, 168, 8}},
    {IDC_WINDOW_FLUSH, L"Button", L"&Window Flush", 0x50010000, {180, 200, 50, 14}},
};

std::wstring ColumnTitle(HWND list, int index, int* width) {
    wchar_t title[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title;
    column.cchTextMax = 64;
    if (!::SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column))) {
        return L"<none>";
    }
    *width = column.cx;
    return title;
}

// Reads the extended dialog template as the dialog manager does.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data, std::size_t size) : data(data), size(size) {}

    template <class T> T Read() {
        T value{};
        if (offset + sizeof value <= size) {
            std::memcpy(&value, data + offset, sizeof value);
        }
        offset += sizeof value;
        return value;
    }
    // A string or an ordinal; predefined control classes come back by name.
    std::wstring ReadNameOrOrdinal() {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            switch (Read<WORD>()) {
            case 0x80:
                return L"Button";
            case 0x82:
                return L"Static";
            default:
                return L"#ordinal";
            }
        }
        std::wstring text;
        for (WORD unit = first; unit != 0 && offset <= size; unit = Read<WORD>()) {
            text.push_back(static_cast<wchar_t>(unit));
        }
        return text;
    }
    void AlignToDword() { offset = (offset + 3) & ~std::size_t{3}; }
    bool Overran() const { return offset > size; }

private:
    const BYTE* data;
    std::size_t size;
    std::size_t offset = 0;
};

TEST(MainWindow, TemplateMatchesTheLayoutItemForItem) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_MAIN), MAKEINTRESOURCEW(5));
    ASSERT_NE(found, nullptr);
    TemplateReader reader(static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found))),
                          ::SizeofResource(nullptr, found));
    EXPECT_EQ(reader.Read<WORD>(), 1);      // extended template
    EXPECT_EQ(reader.Read<WORD>(), 0xFFFF); // signature
    EXPECT_EQ(reader.Read<DWORD>(), 0u);    // help id
    EXPECT_EQ(reader.Read<DWORD>(), 0u);    // extended style
    EXPECT_EQ(reader.Read<DWORD>(), 0x00CA0040u);
    EXPECT_EQ(reader.Read<WORD>(), std::size(kControls));
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 0);
    EXPECT_EQ(reader.Read<short>(), 237);
    EXPECT_EQ(reader.Read<short>(), 221);
    EXPECT_EQ(reader.ReadNameOrOrdinal(), L""); // no menu
    EXPECT_EQ(reader.ReadNameOrOrdinal(), L""); // default dialog class
    EXPECT_EQ(reader.ReadNameOrOrdinal(), kTitle);
    EXPECT_EQ(reader.Read<WORD>(), 8); // points
    EXPECT_EQ(reader.Read<WORD>(), 0); // weight
    EXPECT_EQ(reader.Read<BYTE>(), 0); // italic
    EXPECT_EQ(reader.Read<BYTE>(), 0); // character set
    EXPECT_EQ(reader.ReadNameOrOrdinal(), L"MS Sans Serif");
    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.id);
        reader.AlignToDword();
        EXPECT_EQ(reader.Read<DWORD>(), 0u); // help id
        EXPECT_EQ(reader.Read<DWORD>(), 0u); // extended style
        EXPECT_EQ(reader.Read<DWORD>(), static_cast<DWORD>(expected.style));
        EXPECT_EQ(reader.Read<short>(), expected.dialogUnits.left);
        EXPECT_EQ(reader.Read<short>(), expected.dialogUnits.top);
        EXPECT_EQ(reader.Read<short>(), expected.dialogUnits.right);
        EXPECT_EQ(reader.Read<short>(), expected.dialogUnits.bottom);
        EXPECT_EQ(reader.Read<DWORD>(), static_cast<DWORD>(expected.id));
        EXPECT_EQ(_wcsicmp(reader.ReadNameOrOrdinal().c_str(), expected.className), 0);
        EXPECT_EQ(reader.ReadNameOrOrdinal(), expected.text);
        const WORD extra = reader.Read<WORD>();
        for (WORD i = 0; i < extra; ++i) {
            reader.Read<BYTE>();
        }
    }
    EXPECT_FALSE(reader.Overran());
}

TEST(MainWindow, ShowsEveryControlOfTheTemplateInTabOrderWithBothColumnsAndIcons) {
    WindowRun run;
    HWND dialog = WaitForWindow(L"#32770", kTitle);
    ASSERT_NE(dialog, nullptr);

    const LONG dialogStyle = ::GetWindowLongW(dialog, GWL_STYLE);
    EXPECT_EQ(dialogStyle &
                  (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_NE(::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);

    std::vector<HWND> children;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    ASSERT_EQ(children.size(), std::size(kControls));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& expected = kControls[i];
        HWND control = children[i];
        SCOPED_TRACE(testing::WindowText(control));
        EXPECT_EQ(static_cast<int>(static_cast<short>(::GetDlgCtrlID(control))), expected.id);
        EXPECT_EQ(_wcsicmp(testing::ClassName(control).c_str(), expected.className), 0);
        if (expected.className[0] != L'S' || expected.className[1] != L'y') {
            EXPECT_EQ(testing::WindowText(control), expected.text);
        }
        // The dialog manager draws a bordered control with a sunken client edge instead.
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        const LONG exStyle = ::GetWindowLongW(control, GWL_EXSTYLE);
        EXPECT_EQ(style | (expected.style & WS_BORDER), expected.style);
        if (expected.style & WS_BORDER) {
            EXPECT_TRUE((style & WS_BORDER) || (exStyle & WS_EX_CLIENTEDGE));
        }
        RECT want = expected.dialogUnits; // x, y, width, height, each mapped on its own
        ::MapDialogRect(dialog, &want);
        want.right += want.left;
        want.bottom += want.top;
        RECT have{};
        ::GetWindowRect(control, &have);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&have), 2);
        EXPECT_EQ(have.left, want.left);
        EXPECT_EQ(have.top, want.top);
        EXPECT_EQ(have.right, want.right);
        EXPECT_EQ(have.bottom, want.bottom);
    }

    // Tab order: device list, Device Flush, Device Eject, application list, Window Flush.
    const int tabOrder[] = {IDC_DEVICE_LIST, IDC_DEVICE_FLUSH, IDC_DEVICE_EJECT,
                            IDC_APP_LIST,    IDC_WINDOW_FLUSH, IDC_DEVICE_LIST};
    HWND stop = ::GetDlgItem(dialog, tabOrder[0]);
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        stop = ::GetNextDlgTabItem(dialog, stop, FALSE);
        EXPECT_EQ(::GetDlgCtrlID(stop), tabOrder[i]) << "tab stop " << i;
    }

    int width = 0;
    EXPECT_EQ(ColumnTitle(::GetDlgItem(dialog, IDC_DEVICE_LIST), 0, &width), L"Device Name");
    EXPECT_EQ(width, 300);
    EXPECT_EQ(ColumnTitle(::GetDlgItem(dialog, IDC_APP_LIST), 0, &width), L"Application Name");
    EXPECT_EQ(width, 300);
    EXPECT_EQ(ColumnTitle(::GetDlgItem(dialog, IDC_APP_LIST), 1, &width), L"<none>");

    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(run.ExitCode(), 1);
}

TEST(MainWindow, TheCloseBoxEndsTheProgramWithCodeOne) {
    WindowRun run;
    HWND dialog = WaitForWindow(L"#32770", kTitle);
    ASSERT_NE(dialog, nullptr);
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(run.ExitCode(), 1);
    EXPECT_FALSE(::IsWindow(dialog));
}

HANDLE WINAPI FailToCreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                 DWORD, LPDWORD) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST(MainWindow, AScanThreadThatCannotStartClosesTheWindowAtTheFirstCloseTimerTick) {
    WindowRun run({}, &FailToCreateThread);
    HWND dialog = WaitForWindow(L"#32770", kTitle);
    ASSERT_NE(dialog, nullptr);
    const ULONGLONG shown = ::GetTickCount64();
    ASSERT_TRUE(testing::WaitForWindowGone(dialog));
    std::printf("window closed %llu ms after it was found\n", ::GetTickCount64() - shown);
    EXPECT_EQ(run.ExitCode(), 1);
}

volatile int deepest = 1 << 30;

__attribute__((noinline)) int Recurse(int depth) {
    volatile char frame[256];
    frame[0] = static_cast<char>(depth);
    return depth < deepest ? Recurse(depth + 1) + frame[0] : 0;
}

volatile int zero = 0;
int* volatile nowhere = nullptr;

const wchar_t* const kTail =
    L"Immediately save the date with another name and restart the application.";

TEST(MainWindow, EachFaultOfTheScanThreadIsReportedAndThenTheWindowClosesWithCodeOne) {
    const struct {
        const char* name;
        std::function<void()> fault;
        std::wstring head;
    } faults[] = {
        {"access violation", [] { *nowhere = 1; },
         L"The memory unlawful computer access error occurred.\r\n"},
        {"integer divide by zero", [] { zero = 7 / zero; },
         L"The operation result error occurred.\r\n"},
        {"stack overflow", [] { Recurse(0); }, L"The algorithm error occurred.\r\n"},
        {"untranslated code", [] { ::RaiseException(0xC0000093, 0, 0, nullptr); },
         L"An error has occurred. The command will be cancelled.\r\n"},
        {"float invalid operation", [] { ::RaiseException(0xC0000090, 0, 0, nullptr); },
         L"An undefined error occurred.\r\n"},
        {"failed allocation", [] { ::operator delete(::operator new (std::size_t{1} << 62)); },
         L"The memory allocating error occurred.\r\n"},
        {"C++ exception", [] { throw std::runtime_error("list utility"); },
         L"An error has occurred. The command will be cancelled.\r\n"},
    };
    for (const auto& fault : faults) {
        WindowRun run(fault.fault);
        HWND dialog = WaitForWindow(L"#32770", kTitle);
        ASSERT_NE(dialog, nullptr) << fault.name;
        HWND box = WaitForWindow(L"#32770", L"Exception");
        ASSERT_NE(box, nullptr) << fault.name;
        EXPECT_EQ(MessageBoxText(box), fault.head + kTail) << fault.name;
        // The report leaves the window usable and open until it is dismissed.
        EXPECT_TRUE(::IsWindow(dialog)) << fault.name;
        DismissMessageBox(box);
        EXPECT_EQ(run.ExitCode(), 1) << fault.name;
    }
}

} // namespace
} // namespace velmora
