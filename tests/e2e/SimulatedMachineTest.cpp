// The real program over a simulated machine, driven from this separate process.
#include "res/resource.h"
#include "tests/e2e/HangRun.h"
#include "tests/windows/support/Program.h"
#include "tests/windows/support/RemoteList.h"
#include "tests/windows/support/WindowDriver.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velmora {
namespace {

using Rows = std::vector<std::wstring>;

constexpr const char* kMachine = R"(drive C fixed "System Disk" not-disableable
drive E removable "Kingfish Flash USB Device"
drive F removable "Tallow SD Card Reader"
process 300 notes.exe
process 301 PhotoBox.exe
process 303 backup.exe
file 300 E \notes\todo.txt
file 301 E \pictures\harbour.jpg
file 303 F \archive\2026.zip
window 300 minimised "todo.txt - Notes"
)";

// A simulated machine's program, started and shown.
class SimulatedRun {
public:
    explicit SimulatedRun(const std::string& text)
        : scenario(text), program(L"velmora_sim.exe", scenario.Path()), started(::GetTickCount64()),
          window(program.MainWindow()) {}

    HWND Control(int id) const { return ::GetDlgItem(window, id); }
    // Clicks a button and gives the status line once the command has run.
    std::wstring Press(int button) const {
        ::SendMessageTimeoutW(Control(button), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, nullptr);
        return testing::WindowText(Control(IDC_STATUS_TEXT));
    }

    testing::ScenarioFile scenario;
    testing::Program program;
    ULONGLONG started;
    HWND window;
};

TEST(SimulatedMachine, TheFirstDriveIsSelectedAndItsApplicationsListedAtStart) {
    SimulatedRun run(kMachine);
    ASSERT_NE(run.window, nullptr);
    HWND devices = run.Control(IDC_DEVICE_LIST);
    ASSERT_TRUE(testing::WaitForRows(
        devices, {L"E: (Kingfish Flash USB Device)", L"F: (Tallow SD Card Reader)"}));
    std::printf("device rows shown %llu ms after start\n", ::GetTickCount64() - run.started);
    EXPECT_TRUE(testing::IsRowSelected(devices, 0));
    EXPECT_FALSE(testing::IsRowSelected(devices, 1));
    EXPECT_TRUE(testing::WaitForRows(run.Control(IDC_APP_LIST), {L"notes.exe", L"PhotoBox.exe"}));
}

TEST(SimulatedMachine, ClickingAnotherDriveListsItsApplicationsAtOnce) {
    SimulatedRun run(kMachine);
    ASSERT_NE(run.window, nullptr);
    HWND apps = run.Control(IDC_APP_LIST);
    ASSERT_TRUE(testing::WaitForRows(apps, {L"notes.exe", L"PhotoBox.exe"}));

    const ULONGLONG clicked = ::GetTickCount64();
    ASSERT_TRUE(testing::ClickRow(run.Control(IDC_DEVICE_LIST), 1));
    ASSERT_TRUE(testing::WaitForRows(apps, {L"backup.exe"}));
    std::printf("application list followed the click after %llu ms\n",
                ::GetTickCount64() - clicked);
}

TEST(SimulatedMachine, DeviceCommandsReportTheirOutcomeInTheStatusLine) {
    const struct {
        const char* name;
        std::string extra;
        int button;
        const wchar_t* status;
    } cases[] = {
        {"eject", "", IDC_DEVICE_EJECT, L"Disk Eject Succeed."},
        {"vetoed eject",
         "eject E veto 6 \"notes.exe\"\neject E veto 6 \"notes.exe\"\neject E veto 6 "
         "\"notes.exe\"\n",
         IDC_DEVICE_EJECT, L"Disk Eject Error."},
        {"flush", "", IDC_DEVICE_FLUSH, L"Device Flush Succeed."},
        {"flush of a drive in use", "flush E in-use\n", IDC_DEVICE_FLUSH, L"Device Flush Error."},
    };
    for (const auto& c : cases) {
        SimulatedRun run(std::string(kMachine) + c.extra);
        ASSERT_NE(run.window, nullptr) << c.name;
        HWND devices = run.Control(IDC_DEVICE_LIST);
        ASSERT_TRUE(testing::WaitForRows(
            devices, {L"E: (Kingfish Flash USB Device)", L"F: (Tallow SD Card Reader)"}))
            << c.name;
        const ULONGLONG pressed = ::GetTickCount64();
        EXPECT_EQ(run.Press(c.button), c.status) << c.name;
        std::printf("%s took %llu ms\n", c.name, ::GetTickCount64() - pressed);
    }
}

TEST(SimulatedMachine, WindowFlushRestoresTheMinimisedWindowOfTheSelectedApplication) {
    SimulatedRun run(kMachine);
    ASSERT_NE(run.window, nullptr);
    HWND apps = run.Control(IDC_APP_LIST);
    ASSERT_TRUE(testing::WaitForRows(apps, {L"notes.exe", L"PhotoBox.exe"}));
    HWND notes = ::FindWindowW(L"VelmoraSimulatedApplication", L"todo.txt - Notes");
    ASSERT_NE(notes, nullptr);
    ASSERT_TRUE(::IsIconic(notes));

    ASSERT_TRUE(testing::ClickRow(apps, 0));
    for (int i = 0; i < 200 && !testing::IsRowSelected(apps, 0); ++i) {
        ::Sleep(10);
    }
    ASSERT_TRUE(testing::IsRowSelected(apps, 0));
    run.Press(IDC_WINDOW_FLUSH);
    for (int i = 0; i < 200 && ::IsIconic(notes); ++i) {
        ::Sleep(10);
    }
    EXPECT_FALSE(::IsIconic(notes));
}

} // namespace
} // namespace velmora

namespace velmora {
namespace {

using testing::kIgnoreListKey;

TEST(SimulatedMachine, TheFirstStartCreatesTheIgnoreListAndALaterStartPassesOverItsNames) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kIgnoreListKey);
    {
        SimulatedRun run(kMachine);
        ASSERT_NE(run.window, nullptr);
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kIgnoreListKey, 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }

    ASSERT_TRUE(testing::PlantIgnoreList({L"notes.exe"}));

    SimulatedRun run(kMachine);
    ASSERT_NE(run.window, nullptr);
    EXPECT_TRUE(testing::WaitForRows(run.Control(IDC_APP_LIST), {L"PhotoBox.exe"}));
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kIgnoreListKey);
}

} // namespace
} // namespace velmora
