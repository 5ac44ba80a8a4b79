#include "app/Watchdog.h"

#include "handles/HandleScanner.h"
#include "tests/fakes/FakeDesktop.h"
#include "tests/fakes/FakeHandleTable.h"
#include "tests/fakes/HandleLedger.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace velmora {
namespace {

constexpr std::uint32_t kStuckPid = 300;
const std::wstring kMessage =
    L"The deadlock process(\u00dcber.exe) was detected.\nVelmora is reruned automatically after "
    L"this.";

// Records every action as one line, in order.
class RecordingActions final : public WatchdogActions {
public:
    void KillWatchdogTimer() override { log.push_back(L"kill timer"); }
    bool AppendIgnoreEntry(std::wstring_view name) override {
        log.push_back(L"append " + std::wstring(name));
        return keyOpens;
    }
    void ShowHangMessage(const std::wstring& text, const wchar_t* caption) override {
        log.push_back(L"message " + text + L" | " + caption);
        if (whileMessageShown) {
            whileMessageShown();
        }
    }
    std::wstring RunningExecutablePath() override {
        log.push_back(L"executable path");
        return executablePath;
    }
    void TerminateScan() override { log.push_back(L"terminate"); }
    void Launch(const std::wstring& path) override { log.push_back(L"launch " + path); }

    std::vector<std::wstring> log;
    bool keyOpens = true;
    std::wstring executablePath = L"C:\\Apps\\Velmora.exe";
    std::function<void()> whileMessageShown;
};

class WatchdogTest : public ::testing::Test {
protected:
    WatchdogTest() { desktop.AddProcess(kStuckPid, L"\u00dcBER.Exe"); }

    static ScanReading InQuery(std::uint64_t progress) { return {true, true, progress, kStuckPid}; }

    fakes::FakeDesktop desktop;
    RecordingActions actions;
    Watchdog watchdog{actions, desktop};
};

TEST_F(WatchdogTest, DecidesFromTickSequences) {
    using D = WatchdogDecision;
    constexpr std::uint64_t kInitial = Watchdog::kInitialProgress;
    struct Tick {
        bool scanActive, queryUnderWay;
        std::uint64_t progress;
        D decision;
        std::uint64_t lastProgress;
    };
    const struct {
        const char* name;
        std::vector<Tick> ticks;
    } cases[] = {
        {"idle ticks change nothing, whatever the counter holds",
         {{false, false, 0, D::Nothing, kInitial},
          {false, false, 0, D::Nothing, kInitial},
          {false, false, kInitial, D::Nothing, kInitial}}},
        {"the first tick in a query only stores, even a counter of 0",
         {{true, true, 0, D::Store, 0}}},
        {"a counter that stops right after a tick is reported at the second tick after",
         {{true, true, 10, D::Store, 10},
          {true, true, 11, D::Store, 11},
          {true, true, 11, D::Recover, 11}}},
        {"a counter that moves between every two ticks is never reported",
         {{true, true, 1, D::Store, 1},
          {true, true, 2, D::Store, 2},
          {true, true, 5, D::Store, 5},
          {true, true, 6, D::Store, 6},
          {true, true, 7, D::Store, 7}}},
        {"ticks in cycles with no query (no drive, a device pass) never report",
         {{true, false, 0, D::Nothing, kInitial},
          {true, false, 0, D::Nothing, kInitial},
          {true, true, 7, D::Store, 7},
          {true, false, 7, D::Nothing, 7},
          {false, false, 7, D::Nothing, 7},
          {true, false, 7, D::Nothing, 7},
          {true, true, 9, D::Store, 9}}},
        {"a counter seen in a query in an earlier cycle is not compared across idle ticks",
         {{true, true, 7, D::Store, 7},
          {false, false, 7, D::Nothing, 7},
          {true, true, 8, D::Store, 8},
          {true, false, 8, D::Nothing, 8},
          {true, true, 8, D::Recover, 8}}},
        {"the watchdog recovers at most once",
         {{true, true, 3, D::Store, 3},
          {true, true, 3, D::Recover, 3},
          {true, true, 3, D::Nothing, 3},
          {true, true, 4, D::Nothing, 3}}},
    };
    for (const auto& c : cases) {
        RecordingActions caseActions;
        Watchdog caseWatchdog(caseActions, desktop);
        int recoveries = 0;
        for (const Tick& tick : c.ticks) {
            const D decision =
                caseWatchdog.Tick({tick.scanActive, tick.queryUnderWay, tick.progress, kStuckPid});
            EXPECT_EQ(decision, tick.decision) << c.name << " at " << tick.progress;
            EXPECT_EQ(caseWatchdog.LastProgress(), tick.lastProgress) << c.name;
            recoveries += decision == D::Recover;
        }
        EXPECT_EQ(caseActions.log.empty(), recoveries == 0) << c.name;
        EXPECT_LE(recoveries, 1) << c.name;
    }
}

TEST_F(WatchdogTest, RecoversInOrderBlamingTheLowerCasedNameAndRestartsTheSameExecutable) {
    watchdog.Tick(InQuery(5));
    ASSERT_EQ(watchdog.Tick(InQuery(5)), WatchdogDecision::Recover);

    // Only A to Z are lower-cased; the launch path is built before the scan thread is ended.
    EXPECT_EQ(actions.log, (std::vector<std::wstring>{
                               L"kill timer",
                               L"append \u00dcber.exe",
                               L"message " + kMessage + L" | Velmora",
                               L"executable path",
                               L"terminate",
                               L"launch C:\\Apps\\Velmora.exe",
                           }));
}

TEST_F(WatchdogTest, AKeyThatCannotBeCreatedEndsTheScanWithoutMessageOrRestart) {
    actions.keyOpens = false;
    watchdog.Tick(InQuery(5));
    ASSERT_EQ(watchdog.Tick(InQuery(5)), WatchdogDecision::Recover);
    EXPECT_EQ(actions.log,
              (std::vector<std::wstring>{L"kill timer", L"append \u00dcber.exe", L"terminate"}));
}

TEST_F(WatchdogTest, ANameThatCannotBeHadShowsEmptyParenthesesAndStillRestarts) {
    // Process 0 is what a scan that never queried blames; 301 cannot be opened.
    desktop.AddProcess(301, L"hidden.exe", /*opens=*/false);
    for (const std::uint32_t pid : {0u, 301u}) {
        RecordingActions caseActions;
        Watchdog caseWatchdog(caseActions, desktop);
        caseWatchdog.Tick({true, true, 5, pid});
        caseWatchdog.Tick({true, true, 5, pid});
        EXPECT_EQ(caseActions.log,
                  (std::vector<std::wstring>{
                      L"kill timer", L"append ",
                      L"message The deadlock process() was detected.\nVelmora is reruned "
                      L"automatically after this. | Velmora",
                      L"executable path", L"terminate", L"launch C:\\Apps\\Velmora.exe"}))
            << pid;
    }
}

TEST_F(WatchdogTest, ATickDispatchedWhileTheMessageIsShownDoesNothing) {
    actions.whileMessageShown = [&] {
        EXPECT_EQ(watchdog.Tick(InQuery(5)), WatchdogDecision::Nothing);
        EXPECT_EQ(watchdog.Tick(InQuery(6)), WatchdogDecision::Nothing);
    };
    watchdog.Tick(InQuery(5));
    ASSERT_EQ(watchdog.Tick(InQuery(5)), WatchdogDecision::Recover);
    EXPECT_EQ(std::count(actions.log.begin(), actions.log.end(), L"kill timer"), 1);
    EXPECT_EQ(std::count(actions.log.begin(), actions.log.end(), L"terminate"), 1);
}

TEST_F(WatchdogTest, AnExecutablePathTooLongToSplitLaunchesAnEmptyPath) {
    actions.executablePath = L"C:\\" + std::wstring(300, L'd') + L"\\Velmora.exe";
    watchdog.Tick(InQuery(5));
    watchdog.Tick(InQuery(5));
    ASSERT_FALSE(actions.log.empty());
    EXPECT_EQ(actions.log.back(), L"launch ");
}

// A real scanner whose name query stands still: the ticks read it as the window will.
TEST(WatchdogOverAScan, BlamesTheOwnerOfTheStandingQueryAtTheSecondTickAndNotBefore) {
    fakes::HandleLedger ledger;
    fakes::FakeHandleTable table(ledger);
    table.AddFile(100, L"\\Device\\HarddiskVolume5\\a.txt")
        .AddFile(kStuckPid, L"\\Device\\HarddiskVolume5\\b.txt")
        .AddFile(400, L"\\Device\\HarddiskVolume5\\c.txt");
    fakes::FakeDesktop desktop;
    desktop.AddProcess(kStuckPid, L"Stuck.exe");
    RecordingActions actions;
    Watchdog watchdog(actions, desktop);
    HandleScanner scanner(table);
    std::atomic<bool> scanActive{true};

    // A cycle that has not reached the handle scan (a device pass, no drive) is no hang.
    EXPECT_EQ(watchdog.Tick(ReadScan(scanActive, scanner)), WatchdogDecision::Nothing);
    EXPECT_EQ(watchdog.Tick(ReadScan(scanActive, scanner)), WatchdogDecision::Nothing);

    table.BlockNameQuery({kStuckPid, 4});
    std::thread scan([&] { EXPECT_TRUE(scanner.ScanDevice(L"\\Device\\HarddiskVolume5")); });
    table.WaitUntilBlocked();
    EXPECT_EQ(watchdog.Tick(ReadScan(scanActive, scanner)), WatchdogDecision::Store);
    EXPECT_EQ(watchdog.Tick(ReadScan(scanActive, scanner)), WatchdogDecision::Recover);
    table.Release();
    scan.join();

    ASSERT_GE(actions.log.size(), 2u);
    EXPECT_EQ(actions.log[1], L"append stuck.exe");
    EXPECT_TRUE(ledger.IsEmpty()) << ledger.Describe();
}

} // namespace
} // namespace velmora
