// The hang watchdog and the self-restart for real: the simulated program's name query hangs,
// and everything from the detection to the new instance runs as in the product.
#include "res/resource.h"
#include "tests/e2e/HangRun.h"
#include "tests/windows/support/RemoteList.h"
#include "tests/windows/support/WindowDriver.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace velmora::testing {
namespace {

// The third process's file on E hangs its name query; its executable name has capitals.
constexpr const char* kHangingMachine = R"(drive E removable "Kingfish Flash USB Device"
process 300 notes.exe
process 301 PhotoBox.exe
process 302 Stuck.EXE
file 300 E \notes\todo.txt
file 301 E \pictures\harbour.jpg
file 302 E \stuck\data.bin hangs
)";

const std::wstring kHangMessage =
    L"The deadlock process(stuck.exe) was detected.\nVelmora is reruned automatically after this.";

// Each test starts from an ignore list that holds one entry of its own.
class HangRecovery : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(PlantIgnoreList({L"other.exe"})); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, kIgnoreListKey); }
};

TEST_F(HangRecovery, AHungNameQueryIsBlamedRecordedAndTheProgramStartsAnewWithoutIt) {
    ScenarioFile scenario(kHangingMachine);
    Program program(L"velmora_sim.exe", scenario.Path());
    ASSERT_NE(program.MainWindow(), nullptr);

    const HangOutcome outcome = FollowHang(program);
    ASSERT_TRUE(outcome.queryHung);
    EXPECT_EQ(outcome.message, kHangMessage);
    std::printf("hang message %llu ms after the query stood still\n", outcome.latencyMs);
    EXPECT_EQ(outcome.oldExitCode, 1u);

    const StoredIgnoreList stored = ReadStoredIgnoreList();
    EXPECT_EQ(stored.size, 2u);
    EXPECT_EQ(stored.names, (std::vector<std::wstring>{L"other.exe", L"stuck.exe"}));

    ASSERT_NE(outcome.newInstance, 0u);
    HWND restarted = OtherInstanceWindow(program.Id());
    ASSERT_NE(restarted, nullptr);
    EXPECT_TRUE(
        WaitForRows(::GetDlgItem(restarted, IDC_APP_LIST), {L"notes.exe", L"PhotoBox.exe"}));
    EXPECT_EQ(EndInstance(outcome.newInstance), 1u);
    EXPECT_EQ(ReadStoredIgnoreList().size, 2u);
}

TEST_F(HangRecovery, ACloseRequestDuringAHungScanStillEndsInRecoveryAndRestart) {
    ScenarioFile scenario(kHangingMachine);
    Program program(L"velmora_sim.exe", scenario.Path());
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitForHungQuery(program));
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);

    const HangOutcome outcome = FollowHang(program);
    EXPECT_EQ(outcome.message, kHangMessage);
    EXPECT_EQ(outcome.oldExitCode, 1u);
    ASSERT_NE(outcome.newInstance, 0u);
    EXPECT_EQ(EndInstance(outcome.newInstance), 1u);
}

TEST_F(HangRecovery, ACloseRequestDuringASlowPassClosesTheWindowAfterThePass) {
    ScenarioFile scenario(
        std::string(kHangingMachine).substr(0, std::string(kHangingMachine).find("file 302")) +
        "pause device-pass 1500\n");
    Program program(L"velmora_sim.exe", scenario.Path());
    HWND window = program.MainWindow();
    ASSERT_NE(window, nullptr);
    const ULONGLONG asked = ::GetTickCount64();
    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    ::Sleep(500);
    EXPECT_TRUE(::IsWindow(window)) << "closed before the pass ended";
    EXPECT_EQ(program.ExitCode(), 1u);
    std::printf("closed %llu ms after the close request\n", ::GetTickCount64() - asked);
    EXPECT_EQ(OtherInstanceWindow(program.Id()), nullptr);
}

TEST_F(HangRecovery, AFaultInAPassIsReportedAndNeverTakenForAHang) {
    ScenarioFile scenario(std::string(kHangingMachine) + "fault device-pass access-violation\n");
    Program program(L"velmora_sim.exe", scenario.Path());
    ASSERT_NE(program.MainWindow(), nullptr);
    HWND box = WaitForWindow(L"#32770", L"Exception");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box),
              L"The memory unlawful computer access error occurred.\r\n"
              L"Immediately save the date with another name and restart the application.");
    // Three watchdog ticks while the report is shown: none may blame anyone.
    ::Sleep(3000);
    EXPECT_EQ(::FindWindowW(L"#32770", L"Velmora"), nullptr);
    DismissMessageBox(box);
    EXPECT_EQ(program.ExitCode(), 1u);
    EXPECT_EQ(ReadStoredIgnoreList().size, 1u);
    EXPECT_EQ(OtherInstanceWindow(program.Id()), nullptr);
}

} // namespace
} // namespace velmora::testing
