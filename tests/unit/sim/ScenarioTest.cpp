#include "tests/sim/Scenario.h"

#include "device/DeviceLocator.h"
#include "device/DriveLetterTable.h"
#include "handles/HandleScanner.h"
#include "handles/ProcessLookup.h"
#include "tests/sim/SimulatedMachine.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

constexpr std::wstring_view kDemo = LR"(# two sticks and a disk
drive E removable "Kingfish Flash USB Device"
drive F removable
drive C fixed "System Disk" not-disableable
process 300 notes.exe
process 301 locked.exe unreadable
file 300 E \notes\todo.txt
file 301 E "\my files\a.txt" hangs
window 300 minimised "Notes - todo.txt"
eject E veto 6 "notes.exe"
eject E fail 23
flush F in-use
fault device-pass divide-by-zero
pause device-pass 1500
)";

TEST(Scenario, ReadsEveryKindOfStatement) {
    std::wstring error;
    const auto scenario = ParseScenario(kDemo, error);
    ASSERT_TRUE(scenario) << error;
    ASSERT_EQ(scenario->drives.size(), 3u);
    EXPECT_EQ(scenario->drives[0].friendlyName, L"Kingfish Flash USB Device");
    EXPECT_FALSE(scenario->drives[1].friendlyName);
    EXPECT_TRUE(scenario->drives[1].inUse);
    EXPECT_FALSE(scenario->drives[2].disableable);
    EXPECT_EQ(scenario->drives[2].driveType, 3u);
    ASSERT_EQ(scenario->drives[0].ejectReplies.size(), 2u);
    EXPECT_EQ(scenario->drives[0].ejectReplies[0].vetoType, 6u);
    EXPECT_EQ(scenario->drives[0].ejectReplies[0].vetoName, L"notes.exe");
    EXPECT_EQ(scenario->drives[0].ejectReplies[1].result, 23u);
    EXPECT_FALSE(scenario->processes[1].readable);
    EXPECT_EQ(scenario->files[1].path, L"\\my files\\a.txt");
    EXPECT_TRUE(scenario->files[1].hangs);
    ASSERT_EQ(scenario->windows.size(), 1u);
    EXPECT_TRUE(scenario->windows[0].minimised);
    EXPECT_EQ(scenario->windows[0].title, L"Notes - todo.txt");
    EXPECT_EQ(scenario->devicePassFault, Scenario::Fault::DivideByZero);
    EXPECT_EQ(scenario->devicePassPauseMs, 1500u);
    EXPECT_EQ(scenario->VolumeOf(L'F'), L"\\Device\\HarddiskVolume11");
    EXPECT_EQ(scenario->VolumeOf(L'Q'), L"");
}

TEST(Scenario, NamesTheLineItCannotRead) {
    const struct {
        const wchar_t* text;
        const wchar_t* error;
    } cases[] = {
        {L"drive e removable", L"line 1: drive e removable"},
        {L"\ndrive E floppyish", L"line 2: drive E floppyish"},
        {L"drive E removable\ndrive E fixed", L"line 2: drive E fixed"},
        {L"process x notes.exe", L"line 1: process x notes.exe"},
        {L"file 300 E", L"line 1: file 300 E"},
        {L"eject G veto 6", L"line 1: eject G veto 6"},
        {L"window 1 sideways \"t\"", L"line 1: window 1 sideways \"t\""},
        {L"reboot", L"line 1: reboot"},
    };
    for (const auto& c : cases) {
        std::wstring error;
        EXPECT_FALSE(ParseScenario(c.text, error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

TEST(SimulatedMachine, ResolvesTheDrivesAndFindsTheFilesTheScenarioGives) {
    std::wstring error;
    const auto scenario = ParseScenario(kDemo, error);
    ASSERT_TRUE(scenario) << error;
    SimulatedMachine machine(*scenario);

    DriveLetterTable table(machine.drives);
    table.Rebuild();
    EXPECT_EQ(table.DeviceNameOf(L'E'), L"\\Device\\HarddiskVolume10");
    {
        DeviceLocator locator(machine.drives, machine.drives);
        ASSERT_TRUE(locator.Resolve(4));
        EXPECT_TRUE(locator.HasRequiredStatus());
        EXPECT_EQ(QueryFriendlyName(machine.drives, locator.DeviceInstance()),
                  L"Kingfish Flash USB Device");
        ASSERT_TRUE(locator.Resolve(2));
        EXPECT_FALSE(locator.HasRequiredStatus());
    }

    // Without the hanging file, the scan of E finds notes.exe.
    machine.handles.Release();
    HandleScanner scanner(machine.handles);
    ASSERT_TRUE(scanner.ScanDevice(L"\\Device\\HarddiskVolume10"));
    EXPECT_EQ(scanner.FoundPids(), (std::vector<std::uint32_t>{300, 301}));
    EXPECT_EQ(ProcessNameOf(machine.desktop, 300), L"notes.exe");
    EXPECT_EQ(ProcessNameOf(machine.desktop, 301), L"");
    EXPECT_TRUE(machine.drives.ledger.IsEmpty()) << machine.drives.ledger.Describe();
}

} // namespace
} // namespace velmora::sim
